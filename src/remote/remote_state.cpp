#include "remote/remote_state.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"
#include "services/services.h"

#include <charconv>
#include <cstdlib>

namespace orvane {

namespace {

RemoteCount shownCount(const frmOrvane& main) {
    const ShownCount& shown = main.shownCount();
    RemoteCount c;
    c.sign = shown.sign == ShownCount::Sign::Plus ? '+' : '-';
    c.days = shown.days;
    c.hours = shown.hours;
    c.minutes = shown.minutes;
    c.seconds = shown.seconds;
    return c;
}

void readEvents(const frmEventTimers& board, RemoteState& s, EventTexts texts) {
    for (int n = 0; n < 10; ++n) {
        // A row's count and moment take the zone's rules to work out: only assigned ones.
        if (!board.isAssigned(n))
            continue;
        const frmEventTimers::Row row =
            board.row(n, texts == EventTexts::Read ? frmEventTimers::Parts::All
                                                   : frmEventTimers::Parts::WithoutShown);
        RemoteEvent e;
        e.number = n + 1;
        e.name = row.name;
        e.sign = row.direction == frmEventTimers::Direction::After ? '+' : '-';
        e.offsetSeconds = row.offsetSeconds;
        e.momentMs = row.moment.unixSeconds() * 1000;
        e.text = row.text;
        s.events.push_back(std::move(e));
    }
}

} // namespace

RemoteState readRemoteState(App& app, std::int64_t computerTimeMs, EventTexts texts) {
    RemoteState s;
    // The program's clock may run off the computer's, for a simulated mission time it keeps
    // itself; the pages follow the program's.
    s.serverTimeMs = computerTimeMs + app.ownClock().offset().value_or(0);
    const auto* main = app.loaded<frmOrvane>();
    if (!main)
        return s;
    s.launchTimeMs = main->launchMoment().unixSeconds() * 1000;
    s.holding = main->held();
    s.count = shownCount(*main);
    const frmOrvane::LaunchWindowState window = main->launchWindow();
    s.windowActive = window.active;
    s.windowText = window.text;
    s.windowLeftSeconds = window.leftSeconds;
    s.notHeard = main->leaderNotHeard();
    if (const auto* board = app.loaded<frmEventTimers>())
        readEvents(*board, s, texts);
    if (const auto plan = PlanRun::shown(*main, app.services().clock.instant())) {
        s.plan = RemotePlan{plan->liftoff.unixSeconds() * 1000, plan->lCount, plan->holdLabel,
                            plan->holdLeft};
    }
    return s;
}

void readEventTexts(App& app, RemoteState& state) {
    const auto* board = app.loaded<frmEventTimers>();
    if (!board)
        return;
    for (RemoteEvent& e : state.events)
        e.text = board->row(e.number - 1).text;
}

namespace {

std::int64_t floorSecond(std::int64_t ms) {
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

// What a page cannot work out for itself about one event. A row still ahead moves with the
// launch time (during a hold, every second), which the page follows from the launch time and
// the count; a row counting up counts from a moment of its own.
bool eventChanged(const RemoteEvent& a, std::int64_t aNow, const RemoteEvent& b,
                  std::int64_t bNow) {
    if (a.number != b.number || a.name != b.name || a.sign != b.sign ||
        a.offsetSeconds != b.offsetSeconds)
        return true;
    const bool aAhead = floorSecond(aNow) < floorSecond(a.momentMs);
    const bool bAhead = floorSecond(bNow) < floorSecond(b.momentMs);
    return aAhead != bAhead || (!aAhead && a.momentMs != b.momentMs);
}

} // namespace

bool resendDue(const ResendClock& sent, const ResendClock& now, bool stateChanged) {
    return stateChanged || std::abs(now.leadMs - sent.leadMs) > ClockStepMs ||
           now.serverTimeMs - sent.serverTimeMs >= ResendAfterMs ||
           now.serverTimeMs < sent.serverTimeMs;
}

bool remoteStateChanged(const RemoteState& a, const RemoteState& b) {
    if (a.holding != b.holding || a.windowActive != b.windowActive ||
        a.windowText != b.windowText || a.events.size() != b.events.size() ||
        a.notHeard != b.notHeard)
        return true;
    // While held the launch time moves with the clock and the count stands; while counting
    // the launch time stands and the count moves. A new launch time set during a hold shows
    // on the main window at once, while its count stands until the resume.
    if (a.holding) {
        if (a.count != b.count || a.launchTimeMs / 1000 - floorSecond(a.serverTimeMs) !=
                                      b.launchTimeMs / 1000 - floorSecond(b.serverTimeMs))
            return true;
    } else if (a.launchTimeMs != b.launchTimeMs) {
        return true;
    }
    // Liftoff stands while the count runs and through a built-in hold kept to its plan; it
    // moves with the clock only in a hold by hand or past a waiting hold's planned end.
    if (a.plan.has_value() != b.plan.has_value())
        return true;
    // A hold extended while it stands moves liftoff within its plan's time: that is told too
    // (a hold's liftoff, read between two turns of a second, may stand a second off).
    const auto withinPlan = [](const RemoteState& s) {
        return !s.holding || (s.plan->holdLabel && s.plan->holdLeftSeconds > 0);
    };
    const auto liftoffMoved = [&] {
        const std::int64_t by = std::llabs(a.plan->liftoffMs - b.plan->liftoffMs);
        return withinPlan(a) && withinPlan(b) && by > (a.holding ? 1000 : 0);
    };
    if (a.plan &&
        (a.plan->holdLabel != b.plan->holdLabel ||
         (a.plan->holdLeftSeconds > 0) != (b.plan->holdLeftSeconds > 0) || liftoffMoved()))
        return true;
    for (std::size_t i = 0; i < a.events.size(); ++i)
        if (eventChanged(a.events[i], a.serverTimeMs, b.events[i], b.serverTimeMs))
            return true;
    return false;
}

std::optional<ServeAddress> parseServeAddress(std::string_view text, std::string& error) {
    ServeAddress where;
    std::string_view portText = text;
    if (const auto colon = text.rfind(':'); colon != std::string_view::npos) {
        std::string_view host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
            host = host.substr(1, host.size() - 2);
        else if (host.find(':') != std::string_view::npos) {
            error = "An IPv6 address is written in brackets, as [::1]:8080.";
            return std::nullopt;
        }
        if (host.empty()) {
            error = "The address before the port is empty.";
            return std::nullopt;
        }
        where.address = std::string(host);
    }
    int port = -1;
    const auto [end, ec] =
        std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || ec != std::errc{} || end != portText.data() + portText.size() ||
        port < 0 || port > 65535) {
        error = "The port must be a number from 0 to 65535.";
        return std::nullopt;
    }
    where.port = port;
    return where;
}

std::string pageAddress(const std::string& address, int port, bool tls) {
    const bool v6 = address.find(':') != std::string::npos;
    return (tls ? "https://" : "http://") + (v6 ? "[" + address + "]" : address) + ":" +
           std::to_string(port) + "/";
}

} // namespace orvane
