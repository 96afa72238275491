#include "simtime/frmWizardPlusMinus.h"

#include "app.h"
#include "simtime/frmWizardTime.h"

namespace orvane {

frmWizardPlusMinus::frmWizardPlusMinus(App& app) : SimWizardPage(app, "frmWizardPlusMinus") {
    layOutSideChoice(*this, Label1, fraFrame, optTMinus, optTPlus);
    cmdNext.setCaption("&Next");
    cmdNext.setDefault(true);
    cmdNext.move(2040, 1860, 1140, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdCancel.move(3375, 1860, 1140, 375);

    optTMinus.onClick = [this] { paint(SimMinusColor); };
    optTPlus.onClick = [this] { paint(SimPlusColor); };
    cmdNext.onClick = [this] { next(); };
    cmdCancel.onClick = [this] { endWizard(); };

    // The wizard opens on the choice entered last.
    if (m_app.simWizardEntries().tMinus)
        optTMinus.setValue(true);
    else
        optTPlus.setValue(true);

    // The two main windows wait while the wizard is open.
    onLoad = [this] {
        for (const char* main : {"frmOrvane", "frmEventTimers"})
            if (Form* window = m_app.form(main))
                window->setEnabled(false);
    };
}

void frmWizardPlusMinus::paint(Color c) {
    paintChoice(fraFrame, optTMinus, optTPlus, c);
}

void frmWizardPlusMinus::next() {
    auto& time = m_app.form<frmWizardTime>();
    const bool minus = optTMinus.value();
    time.mission.lblPlusMinus.setCaption(minus ? "T Minus" : "T Plus");
    time.mission.fraFrame.setBackColor(minus ? SimMinusColor : SimPlusColor);
    goTo(m_app.form<frmWizardTime>());
}

} // namespace orvane
