#include "simtime/sim_clock.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "platform/own_clock.h"

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
    return {computer.instant(), computer.monotonicMs()};
}

Instant SimClock::trueTimeNow() const {
    const std::int64_t elapsedMs = m_clock.computer().monotonicMs() - m_trueTime->monotonicMs;
    return m_trueTime->instant.addSeconds(elapsedMs / 1000);
}

std::optional<DateTime> SimClock::trueTimeWhileOwnClock() const {
    if (!m_clock.offset())
        return std::nullopt;
    return m_clock.zone().toWall(m_computerMoved && m_trueTime ? trueTimeNow()
                                                               : readTrueTime().instant);
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
    askComputer(target, [this, before, target](const std::string& refusal) {
        computerAnswered(before, target, refusal);
    });
}

void SimClock::askComputer(Instant target, std::function<void(const std::string&)> then) {
    m_waiting = true;
    // The answer is an event of its own: it may come long after the request.
    m_clock.computer().setSystemDateTime(
        m_clock.zone().toWall(target), [this, then = std::move(then)](const std::string& refusal) {
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
        tellClockSet(Happening::Kind::SimTimeSet, before.instant);
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
    std::string text = title + " could not change your computer's clock: " + refusal;
    if (!refusal.ends_with('.'))
        text += '.';
    if (!offerOwnClock) {
        m_app.services().dialogs.messageBox(text, Buttons::OK, Icon::Exclamation, title);
        return;
    }
    text += "  Do you want " + title + " to show this mission time on its own clock instead?";
    ownClock = m_app.services().dialogs.messageBox(text, Buttons::YesNo, Icon::Exclamation,
                                                   title) == Answer::Yes;
}

void SimClock::runOwnClockAt(Instant target) {
    const Instant before = m_clock.instant();
    m_clock.setOffset(secondsBetween(m_clock.computer().instant(), target));
    tellClockSet(Happening::Kind::SimTimeSet, before);
}

void SimClock::tellClockSet(Happening::Kind kind, Instant before) {
    Happening h = m_app.happening(kind);
    h.oldClockMs = before.unixSeconds() * 1000;
    h.newClockMs = m_clock.instant().unixSeconds() * 1000;
    m_app.raise(h);
}

// A second simulated time keeps the true time remembered by the first.
void SimClock::remember(Reading reading) {
    if (m_trueTime)
        return;
    m_trueTime = reading;
    m_app.frmOrvane().showTrueTimeRemembered(m_clock.zone().toWall(reading.instant));
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
        m_clock.setOffset(std::nullopt);
    if (!m_computerMoved) {
        forget();
        tellClockSet(Happening::Kind::SimTimeRestored, before);
        if (then)
            then();
        return;
    }
    askComputer(trueTimeNow(), [this, before, then = std::move(then)](const std::string& refusal) {
        if (refusal.empty()) {
            m_computerMoved = false;
            forget();
            tellClockSet(Happening::Kind::SimTimeRestored, before);
        } else {
            // The true time stays remembered, so that Restore System Time can try again.
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
