#include "wizard/frmETWIZDate.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"
#include "wizard/frmETWIZChoice.h"

#include <array>
#include <cstdint>

namespace orvane {

frmETWIZDate::frmETWIZDate(App& app)
    : EventEntryPage(app, "frmETWIZDate", &pageOf<frmETWIZChoice>) {
    move(0, 0, 5190, 5340);
    Label1.setCaption("Use the calendar and scroll bars to set the date and time for this "
                      "event, then click Enter.");
    Label1.move(240, 120, 4590, 435);
    Calendar.move(240, 660, 4590, 2760);
    Calendar.setToolTipText("Click on a date to set.");
    Calendar.setDate(*DateTime::fromParts(2001, 5, 3));

    txtDate.setLocked(true);
    txtDate.setAlignment(Align::Center);
    txtDate.setText("May 3, 2001");
    txtDate.move(240, 3840, 1680, 420);

    const auto columns = time.columns();
    for (int i = 0; i < 3; ++i) {
        const TimeOfDayEntry::Column& c = columns[i];
        const int left = 2160 + i * 900;
        c.head.setCaption(c.caption);
        c.head.setAlignment(Align::Center);
        c.head.setWordWrap(false);
        c.head.move(left - 60, 3570, 900, 240);
        c.box.move(left, 3840, 525, 420);
        c.bar.move(left + 525, 3840, 255, 420);
        linkBox(c.box, c.bar, c.caption, "00", c.max);
    }

    lblMessage.setCaption(" Please use the calendar to set the date. ");
    lblMessage.setBackColor(PaleYellow);
    lblMessage.setAlignment(Align::Center);
    lblMessage.setWordWrap(false);
    lblMessage.setVisible(false);
    lblMessage.move(240, 4380, 4590, 255);
    placeCommands(4740);

    Calendar.onChange = [this] { txtDate.setText(formatDate(Calendar.date(), "mmm d, yyyy")); };
    // The date box is read-only; a click on it points the user to the calendar for a while.
    txtDate.onClick = [this] {
        lblMessage.setVisible(true);
        tmrMessage.setEnabled(true);
    };
    tmrMessage.onTimer = [this] {
        lblMessage.setVisible(false);
        tmrMessage.setEnabled(false);
    };
}

std::string frmETWIZDate::DateSign(DateTime t) const {
    return SecondsToLaunch(t) > 0 ? "-" : "+";
}

// With a countdown plan, the T-time the count will show at T if the plan runs to time.
std::int64_t frmETWIZDate::SecondsToLaunch(DateTime t) const {
    const Instant now = services().clock.instant();
    return m_app.launchState().plan().countAfter(
        secondsBetween(now, m_app.launchMoment()),
        secondsBetween(now, services().clock.zone().toInstant(t)));
}

void frmETWIZDate::enter() {
    const auto t = toDateTime(txtDate.text() + " " + time.txtHoursW.text() + ":" +
                              time.txtMinutesW.text() + ":" + time.txtSecondsW.text());
    if (!t || !m_app.frmOrvane().hasLaunchTime())
        return; // the boxes are read-only and the launch label always holds a date-time
    // A time the clocks skip never comes; one they go back over means its first occurrence.
    const TimeZone zone = services().clock.zone();
    if (const WallTimeMeaning m = zone.meaning(*t); m.kind == WallTimeMeaning::Kind::Skipped) {
        services().dialogs.messageBox(skippedTimeMessage(*t, m, zone), Buttons::OK,
                                      Icon::Information, "Invalid Time");
        return;
    }
    const std::int64_t seconds = SecondsToLaunch(*t);
    const std::int64_t magnitude = seconds < 0 ? -seconds : seconds;
    // The record keeps an event's distance from launch in 32 bits.
    if (magnitude > INT32_MAX) {
        warn("This Event Timer is too far from the Launch Time.  Choose a date within 68 "
             "years of launch.");
        return;
    }
    enterEvent(DateSign(*t), std::int32_t(magnitude));
}

} // namespace orvane
