#include "simtime/sim_clock.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "services/own_clock.h"

#include <initializer_list>

namespace orvane {

SimClock::SimClock(App& app)
    : m_app(app), m_clock(app.ownClock()), m_ownClockAlways(app.info().ownClock) {}

bool SimClock::confirmChange() {
    if (ownClockMoves())
        return true;
    const std::string& title = m_app.info().title;
    return m_app.services().dialogs.messageBox(
               title + " will now change your computer's clock.  Do you want to continue?",
               Buttons::YesNo, Icon::Question, title) == Answer::Yes;
}

SimClock::Reading SimClock::readTrueTime() const {
    const Clock& computer = m_clock.computer();
    return {computer.unixMs(), computer.monotonicMs()};
}

std::int64_t SimClock::trueTimeNowMs() const {
    const std::int64_t elapsedMs = m_clock.computer().monotonicMs() - m_trueTime->monotonicMs;
    return m_trueTime->unixMs + elapsedMs;
}

namespace {

Instant secondOf(std::int64_t unixMs) {
    return Instant::fromUnixSeconds(OwnClock::floorDiv(unixMs, 1000));
}

int msIntoSecondOf(std::int64_t unixMs) {
    return int(unixMs - secondOf(unixMs).unixSeconds() * 1000);
}

} // namespace

std::optional<DateTime> SimClock::trueTimeWhileOwnClock() const {
    if (!m_clock.offset())
        return std::nullopt;
    return m_clock.zone().toWall(
        secondOf(m_computerMoved && m_trueTime ? trueTimeNowMs() : readTrueTime().unixMs));
}

void SimClock::moveTo(std::int64_t offset) {
    if (m_waiting)
        return;
    // The target is an offset in real seconds from the launch, on the clock every count reads.
    const Reading before = readTrueTime();
    const Instant target = m_app.launchMoment().addSeconds(offset);
    if (ownClockMoves()) {
        remember(before);
        runOwnClockAt(target);
        return;
    }
    // The simulated time starts its first second when the clock is set.
    askComputer(target.unixSeconds() * 1000, [this, before, target](const std::string& refusal) {
        computerAnswered(before, target, refusal);
    });
}

void SimClock::askComputer(std::int64_t targetMs, std::function<void(const std::string&)> then) {
    m_waiting = true;
    // The answer is an event of its own: it may come long after the request.
    m_clock.computer().setSystemDateTime(
        m_clock.zone().toWall(secondOf(targetMs)), msIntoSecondOf(targetMs),
        [this, then = std::move(then)](const std::string& refusal) {
            m_app.services().scheduler.deliver([&] {
                m_waiting = false;
                then(refusal);
            });
        });
}

void SimClock::computerAnswered(Reading before, Instant target, const std::string& refusal) {
    if (refusal.empty()) {
        remember(before);
        m_computerMoved = true;
        tellClockSet(Happening::Kind::SimTimeSet, secondOf(before.unixMs));
        return;
    }
    bool ownClock = false;
    tellRefused(refusal, true, ownClock);
    if (!ownClock)
        return;
    m_ownClockInstead = true;
    remember(before);
    runOwnClockAt(target);
}

void SimClock::tellRefused(const std::string& refusal, bool offerOwnClock, bool& ownClock) {
    const std::string& title = m_app.info().title;
    const std::string plain = plainRefusal(refusal);
    std::string text = title + " could not change your computer's clock: " + plain;
    if (!plain.ends_with('.'))
        text += '.';
    if (offerOwnClock)
        text += "  Do you want " + title + " to show this mission time on its own clock instead?";
    // The platform's own words stay for whoever looks into it further.
    if (plain != refusal)
        text += "\n\nDetails: " + refusal;
    if (!offerOwnClock) {
        m_app.services().dialogs.messageBox(text, Buttons::OK, Icon::Exclamation, title);
        return;
    }
    ownClock = m_app.services().dialogs.messageBox(text, Buttons::YesNo, Icon::Exclamation,
                                                   title) == Answer::Yes;
}

std::string SimClock::plainRefusal(const std::string& refusal) {
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return s;
    };
    const std::string words = lower(refusal);
    auto says = [&words](std::initializer_list<const char*> parts) {
        for (const char* part : parts)
            if (words.find(part) != std::string::npos)
                return true;
        return false;
    };
    if (says({"system_bus_socket", "system bus", "serviceunknown", "service files",
              "namehasnoowner", "not provided by any", "no such file or directory",
              "connection refused"}))
        return "the clock service of this computer is not running";
    if (says({"interactive authentication required", "access denied", "accessdenied",
              "not authorized", "permission denied", "operation not permitted"}))
        return "you are not allowed to change the clock";
    if (says({"automatic time synchronization", "ntp"}))
        return "the computer keeps its clock set from the network (automatic time "
               "synchronization is on)";
    if (says({"no answer from the clock service", "noreply", "timeout", "timed out"}))
        return "the clock service of this computer did not answer";
    return refusal;
}

// The program's clock shows TARGET from this moment on, and its first second lasts a whole
// second: its seconds turn a phase after the computer's, and the rounds follow them.
void SimClock::runOwnClockAt(Instant target) {
    const Instant before = m_clock.instant();
    setOwnOffset(target.unixSeconds() * 1000 - m_clock.computer().unixMs());
    tellClockSet(Happening::Kind::SimTimeSet, before);
}

void SimClock::tellClockSet(Happening::Kind kind, Instant before) {
    Happening h = m_app.happening(kind);
    h.oldClockMs = before.unixSeconds() * 1000;
    h.newClockMs = m_clock.instant().unixSeconds() * 1000;
    m_app.raise(h);
}

void SimClock::setOwnOffset(std::optional<std::int64_t> offsetMs) {
    // The program's second turns when the computer's clock is that far into its own.
    m_app.services().scheduler.setSecondPhase(offsetMs ? (1000 - msIntoSecondOf(*offsetMs)) % 1000
                                                       : 0);
    m_clock.setOffset(offsetMs);
}

// A second simulated time keeps the true time remembered by the first.
void SimClock::remember(Reading reading) {
    if (m_trueTime)
        return;
    m_trueTime = reading;
    m_app.frmOrvane().showTrueTimeRemembered(m_clock.zone().toWall(secondOf(reading.unixMs)));
}

void SimClock::forget() {
    m_trueTime.reset();
    m_app.frmOrvane().showTrueTimeForgotten();
}

void SimClock::restore() {
    restoreComputerClock({});
}

void SimClock::restoreComputerClock(std::function<void()> then) {
    if (!m_trueTime || m_waiting)
        return;
    const Instant before = m_clock.instant();
    m_ownClockInstead = false;
    if (m_clock.offset())
        setOwnOffset(std::nullopt);
    if (!m_computerMoved) {
        forget();
        tellClockSet(Happening::Kind::SimTimeRestored, before);
        if (then)
            then();
        return;
    }
    askComputer(trueTimeNowMs(),
                [this, before, then = std::move(then)](const std::string& refusal) {
                    if (refusal.empty()) {
                        m_computerMoved = false;
                        forget();
                        tellClockSet(Happening::Kind::SimTimeRestored, before);
                    } else {
                        // The true time stays remembered, so that Restore System Time can try
                        // again.
                        bool unused = false;
                        tellRefused(refusal, false, unused);
                    }
                    if (then)
                        then();
                });
}

void SimClock::leaveProgram() {
    if (m_computerMoved && !m_waiting) {
        const std::string& title = m_app.info().title;
        const Answer answer = m_app.services().dialogs.messageBox(
            "Your computer's clock still shows the simulated time.  Do you want " + title +
                " to restore the true time before exiting?",
            Buttons::YesNo, Icon::Question, title);
        if (answer == Answer::Yes) {
            // The program stays until the clock service has answered: leaving earlier could
            // cut short a person's authorisation of the change.
            restoreComputerClock([this] { m_app.endProgram(); });
            return;
        }
    }
    m_app.endProgram();
}

} // namespace orvane
