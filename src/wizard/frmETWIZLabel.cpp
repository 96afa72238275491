#include "wizard/frmETWIZLabel.h"

namespace orvane {

frmETWIZLabel::frmETWIZLabel(App& app) : WizardPage(app, "frmETWIZLabel") {
    move(0, 0, 4860, 1680);
    Label1.setCaption("Enter a name below for this Event Timer.");
    Label1.move(240, 180, 4275, 255);
    txtName.move(240, 540, 4275, 345);
    designButtonRow(cmdBack, cmdNext, cmdCancel, 1080);

    cmdBack.onClick = [this] { goTo("frmETWIZNumber"); };
    cmdNext.onClick = [this] { next(); };
    cmdCancel.onClick = [this] { endWizard(); };
}

void frmETWIZLabel::next() {
    // Any name is taken, a blank one included, except an empty one and one with a double
    // quote: the launch data file writes names between double quotes, so such a name would
    // not read back.
    if (txtName.text().empty()) {
        warn("You must enter a name for this event.");
        txtName.setFocus();
        return;
    }
    if (txtName.text().find('"') != std::string::npos) {
        warn("An event name cannot contain the character \".");
        txtName.setFocus();
        return;
    }
    goTo("frmETWIZChoice");
}

} // namespace orvane
