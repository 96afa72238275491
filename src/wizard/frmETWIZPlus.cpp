#include "wizard/frmETWIZPlus.h"

#include "app.h"
#include "wizard/frmETWIZChoice.h"
#include "wizard/frmETWIZMET.h"

namespace orvane {

frmETWIZPlus::frmETWIZPlus(App& app) : WizardPage(app, "frmETWIZPlus") {
    layOutSideChoice(*this, Label1, fraFrame, optTMinus, optTPlus);
    optTPlus.setValue(true);
    paint(LightGreen);
    designButtonRow(cmdBack, cmdNext, cmdCancel, 1860);

    optTMinus.onClick = [this] { paint(PaleRed); };
    optTPlus.onClick = [this] { paint(LightGreen); };
    cmdBack.onClick = [this] { goTo(m_app.form<frmETWIZChoice>()); };
    cmdNext.onClick = [this] { next(); };
    cmdCancel.onClick = [this] { endWizard(); };
}

// The frame takes the colour the board gives events on that side of liftoff.
void frmETWIZPlus::paint(Color c) {
    paintChoice(fraFrame, optTMinus, optTPlus, c);
}

void frmETWIZPlus::next() {
    // The mission time page learns the direction only here.
    m_app.form<frmETWIZMET>().setAfterLiftoff(optTPlus.value());
    goTo(m_app.form<frmETWIZMET>());
}

} // namespace orvane
