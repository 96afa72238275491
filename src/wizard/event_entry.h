#pragma once

// What the wizard's two last pages, mission time and date, share: the Back, Enter and Cancel
// commands, the clash check against the other events, and the writing of the event into the
// record and its row. Both pages run this one copy, so they check and write alike.

#include "wizard/wizard_page.h"

#include <cstdint>
#include <string>

namespace orvane {

class EventEntryPage : public WizardPage {
  public:
    CommandButton cmdBack{this, "cmdBack"};
    CommandButton cmdEnter{this, "cmdEnter"};
    CommandButton cmdCancel{this, "cmdCancel"};
    // Checked when the last clash check found another event at the same time.
    CheckBox chkContinue{this, "chkContinue"};
    // The number of the event the clash check looked at last.
    Label lblHold{this, "lblHold"};

    // The signed offset of event J ("-" with 600 is -600; an event never set is 0).
    std::int32_t EventOffset(int j);
    // True, with a message, when an event other than N already has this offset.
    bool CheckTimeClash(std::int32_t offset, int n);

  protected:
    // BACK is the page the Back command returns to.
    EventEntryPage(App& app, std::string name, PageOf back);

    // Lays out the three commands in a row at TOP and the hidden helpers.
    void placeCommands(int top);

    // Stores the event chosen on the number page as SIGN and MAGNITUDE seconds, names its
    // row and ends the wizard, unless another event already has that time.
    void enterEvent(const std::string& sign, std::int32_t magnitude);

    // A box that shows its scroll bar's value, always zero-padded with PATTERN, and takes a
    // typed value in the bar's range; NAME names it in the message that refuses another.
    void linkBox(TextBox& box, ScrollBar& bar, std::string name, const char* pattern, int max);

  private:
    virtual void enter() = 0;
    PageOf m_back;
};

} // namespace orvane
