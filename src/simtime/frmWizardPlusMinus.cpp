#include "simtime/frmWizardPlusMinus.h"

#include "app.h"
#include "simtime/frmWizardTime.h"

namespace orvane {

frmWizardPlusMinus::frmWizardPlusMinus(App& app) : SimWizardPage(app, "frmWizardPlusMinus") {
    move(0, 0, 4860, 2460);
    Label1.setCaption("Check the appropriate button and then click Next.");
    Label1.move(240, 180, 4275, 255);
    fraFrame.setCaption("Prelaunch or Postlaunch");
    fraFrame.move(240, 660, 4275, 1020);
    optTMinus.setContainer(&fraFrame);
    optTMinus.setCaption("T MINUS (Before Liftoff)");
    optTMinus.move(240, 285, 3915, 300);
    optTPlus.setContainer(&fraFrame);
    optTPlus.setCaption("T PLUS (After Liftoff)");
    optTPlus.move(240, 615, 3915, 300);
    cmdNext.setCaption("&Next");
    cmdNext.setDefault(true);
    cmdNext.move(2040, 1860, 1140, 375);
    cmdCancel.setCaption("&Cancel");
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
    auto& time = static_cast<frmWizardTime&>(*m_app.form("frmWizardTime"));
    const bool minus = optTMinus.value();
    time.lblPlusMinus.setCaption(minus ? "T Minus" : "T Plus");
    time.fraFrame.setBackColor(minus ? SimMinusColor : SimPlusColor);
    goTo("frmWizardTime");
}

} // namespace orvane
