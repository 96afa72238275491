#include "wizard/event_entry.h"

#include "app.h"
#include "data/CTimeData.h"
#include "events/frmEventTimers.h"
#include "wizard/event_panel.h"
#include "wizard/frmETWIZLabel.h"
#include "wizard/frmETWIZNumber.h"

namespace orvane {

EventEntryPage::EventEntryPage(App& app, std::string name, PageOf back)
    : WizardPage(app, std::move(name)), m_back(back) {
    designBack(cmdBack);
    cmdEnter.setCaption("&Enter");
    cmdEnter.setDefault(true);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    chkContinue.setCaption("Check1");
    chkContinue.setVisible(false);
    lblHold.setVisible(false);

    cmdBack.onClick = [this] { goTo(m_back(m_app)); };
    cmdEnter.onClick = [this] { enter(); };
    cmdCancel.onClick = [this] { endWizard(); };
}

void EventEntryPage::placeCommands(int top) {
    cmdBack.move(1020, top, 1140, 375);
    cmdEnter.move(2355, top, 1140, 375);
    cmdCancel.move(3690, top, 1140, 375);
    chkContinue.move(120, top, 255, 255);
    lblHold.move(120, top, 255, 255);
}

void EventEntryPage::linkBox(TextBox& box, ScrollBar& bar, std::string name, const char* pattern,
                             int max) {
    box.setAlignment(Align::Center);
    bar.setRange(0, max);
    bar.setLargeChange(10);
    bar.onChange = [&box, &bar] { box.setText(std::to_string(bar.value())); };
    takeTyping(box, bar, std::move(name), pattern);
    box.setText("0");
}

std::int32_t EventEntryPage::EventOffset(int j) {
    lblHold.setCaption(std::to_string(j));
    return m_app.frmEventTimers().EventData().signedOffset(j);
}

// Only defined events clash: an event never set has no moment, though its offset reads 0.
bool EventEntryPage::CheckTimeClash(std::int32_t offset, int n) {
    const CTimeData& record = m_app.frmEventTimers().EventData();
    for (int j = 0; j < 10; ++j) {
        const std::int32_t o = EventOffset(j);
        if (j != n && o == offset && !record.plusText(j).empty()) {
            warn("You cannot have two Event Timers occuring at the same time.  Change the "
                 "Mission Time or Cancel.");
            chkContinue.setValue(1);
            break;
        }
        chkContinue.setValue(0);
    }
    return chkContinue.value() == 1;
}

void EventEntryPage::enterEvent(const std::string& sign, std::int32_t magnitude) {
    auto& numberPage = m_app.form<frmETWIZNumber>();
    const int n = selectedEvent(numberPage.optNumber);
    if (n < 0) {
        // Only a number page loaded afresh with every event assigned has no choice; the
        // user picks one there rather than have an event overwritten unasked.
        warn("You must select an Event Timer.");
        return;
    }
    const std::int32_t offset = sign == "-" ? -magnitude : magnitude;
    if (CheckTimeClash(offset, n))
        return;

    const std::string name =
        m_app.form<frmETWIZLabel>().txtName.text();
    m_app.frmEventTimers().DefineEvent(n, name, sign, magnitude);
    endWizard();
}

} // namespace orvane
