#include "wizard/frmETWIZLabel.h"

#include "app.h"
#include "wizard/frmETWIZChoice.h"
#include "wizard/frmETWIZNumber.h"

#include <cstddef>
#include <string>

namespace orvane {

namespace {

// A row on the board shows about this many characters of its 9 point bold name across its
// 2685 twips (179 pixels at 96 dots an inch): longer names would be cut off there.
constexpr std::size_t MaxNameLength = 30;

// Characters, not bytes: a name may hold letters of any script.
std::size_t characters(const std::string& text) {
    std::size_t n = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

} // namespace

frmETWIZLabel::frmETWIZLabel(App& app) : WizardPage(app, "frmETWIZLabel") {
    move(0, 0, 4860, 1680);
    Label1.setCaption("Enter a name below for this Event Timer.");
    Label1.move(240, 180, 4275, 255);
    txtName.move(240, 540, 4275, 345);
    designButtonRow(cmdBack, cmdNext, cmdCancel, 1080);

    cmdBack.onClick = [this] { goTo(m_app.form<frmETWIZNumber>()); };
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
    if (characters(txtName.text()) > MaxNameLength) {
        warn("An event name can have at most " + std::to_string(MaxNameLength) +
             " characters, as many as its row on the event board can show.");
        txtName.setFocus();
        return;
    }
    if (txtName.text().find('"') != std::string::npos) {
        warn("An event name cannot contain the character \".");
        txtName.setFocus();
        return;
    }
    goTo(m_app.form<frmETWIZChoice>());
}

} // namespace orvane
