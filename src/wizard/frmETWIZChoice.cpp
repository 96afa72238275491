#include "wizard/frmETWIZChoice.h"

#include "app.h"
#include "wizard/frmETWIZDate.h"
#include "wizard/frmETWIZLabel.h"
#include "wizard/frmETWIZMET.h"
#include "wizard/frmETWIZPlus.h"

namespace orvane {

frmETWIZChoice::frmETWIZChoice(App& app) : WizardPage(app, "frmETWIZChoice") {
    move(0, 0, 4860, 2460);
    Label1.setCaption(
        "Do you want to use Mission Elapsed Time or Regular Time to set this Event time?");
    Label1.move(240, 120, 4275, 435);
    Frame1.setCaption("Choose one");
    Frame1.move(240, 660, 4275, 1020);
    optMET.setContainer(&Frame1);
    optMET.setCaption("Use Mission Elapsed Time");
    optMET.move(240, 285, 3915, 300);
    optMET.setValue(true);
    optClock.setContainer(&Frame1);
    optClock.setCaption("Use Date and Time");
    optClock.move(240, 615, 3915, 300);
    designButtonRow(cmdBack, cmdNext, cmdCancel, 1860);

    cmdBack.onClick = [this] { goTo(m_app.form<frmETWIZLabel>()); };
    cmdNext.onClick = [this] { next(); };
    cmdCancel.onClick = [this] { endWizard(); };
}

void frmETWIZChoice::next() {
    // The pages of the path not taken are unloaded, so what was entered on them is
    // discarded and they come back with their design values.
    auto discard = [this](Form* page) {
        if (page)
            m_app.unload(*page);
    };
    if (optMET.value()) {
        m_app.form<frmETWIZPlus>().show();
        discard(m_app.loaded<frmETWIZDate>());
    } else {
        m_app.form<frmETWIZDate>().show();
        discard(m_app.loaded<frmETWIZMET>());
        discard(m_app.loaded<frmETWIZPlus>());
    }
    hide();
}

} // namespace orvane
