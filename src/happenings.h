#pragma once

// What just happened in the program, told to whoever listens: one stream of typed happenings
// raised by the window logic at the one place where each is decided. The journal, the
// spoken callouts, the followers and the remote displays all listen here instead of reading
// the windows' captions back.
//
// Subscribing (through App::happenings()):
//
//     Subscription s = app.happenings().subscribe([](const Happening& h) { ... });
//     Subscription r = app.happenings().subscribeRounds([] { ... });
//
// A listener is told until its Subscription is reset or destroyed (unsubscribing). Listeners
// are told in the order they subscribed, on the user-interface thread, from inside the
// handler that decided the happening: a listener reads the windows' typed faces as they
// stand after the decision, and must not unload windows itself. A happening a listener
// raises waits until every listener has been told the current one, then is told to all.
//
// Every happening carries the clock reading it was decided on (`at`), and the count the main
// window shows then (`shown`); the other fields are filled as each kind lists below.
//
//   kind             raised in                                           details
//   Hold             clock/hold.cpp StartHold                             count frozen at `shown`
//   Resume           clock/hold.cpp ResumeCount                           heldSeconds, oldLaunch,
//                                                                         newLaunch
//   LaunchTimeSet    clock/entry.cpp SetLaunchTime                        oldLaunch, newLaunch
//   LaunchWindowSet  clock/launch_window.cpp SetLaunchWindow              windowText, windowActive
//   WindowWarned     clock/launch_window.cpp UpdateWindowWarning          windowText
//   WindowExpired    clock/launch_window.cpp UpdateHeldWindow             windowText
//   EventDefined     events/rows.cpp DefineEvent                          event
//   EventRemoved     events/rows.cpp DefineEvent (an assigned row cleared) event
//   EventPassed      events/board_count.cpp CountUp (its count reached 0) event
//   Liftoff          clock/count.cpp ShowCount (the count reached 0)      newLaunch
//   SimTimeSet       simtime/sim_clock.cpp SimClock::tellClockSet, once   oldClock, newClock
//                    the computer's clock moved (computerAnswered) or the
//                    program's own clock runs (runOwnClockAt)
//   SimTimeRestored  simtime/sim_clock.cpp SimClock::restoreComputerClock oldClock, newClock
//   FileRead         data/modOpenFile.cpp ReadLaunchFile (applied whole)  path
//   FileSaved        data/modSaveAs.cpp WriteLaunchFile (saved whole)     path
//   ProgramStart     clock/frmOrvane.cpp (main window loaded)             -
//   ProgramExit      app.cpp App::endProgram (every way the program ends) -
//   BuiltInHold      clock/plan_run.cpp (the count reached a built-in     holdLabel, plannedSeconds
//                    hold's T-time)
//   BuiltInHoldEnd   clock/plan_run.cpp (its time was up, or Resume)      holdLabel, plannedSeconds,
//                                                                         heldSeconds, newLaunch
//   RemoteCommand    remote/remote_control.cpp (a paired device's command command, by
//                    that has no happening of its own: hold enable, mute)
//   DevicePaired     remote/pairing.cpp (a device paired)                 by
//   PairingRefused   remote/pairing.cpp (a code refused)                  command (why)
//   DeviceForgotten  remote/pairing.cpp (Forget, Forget all)              by
//
// Whatever a paired device's command raises (a hold, a resume, the end of a built-in hold)
// carries the device's name in `by`; a follower's copy of it does too.

#include "dates/zone.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// The count as the main window shows it: "T -" before the launch second, "T +" from it on.
struct ShownCount {
    enum class Sign { Minus, Plus };
    Sign sign = Sign::Minus;
    std::int64_t days = 0, hours = 0, minutes = 0, seconds = 0;

    // Seconds to launch as shown: positive before launch, 0 or negative from the launch
    // second on.
    std::int64_t secondsToLaunch() const;
    // "T - 000 00:09:00", "T + 000 00:00:05".
    std::string text() const;
    // The count for SECONDS to launch (positive before launch).
    static ShownCount fromSecondsToLaunch(std::int64_t seconds);
    bool operator==(const ShownCount&) const = default;
};

// The clock reading a happening was decided on.
struct ClockReading {
    // The true instant, in Unix milliseconds: the computer's clock, or the true time the
    // program keeps while a simulated mission time has moved the computer's clock.
    std::int64_t trueMs = 0;
    // The program's clock, whenever it differs from the true time (a simulated mission time
    // on the program's own clock or on the moved computer clock); empty when the two agree.
    std::optional<std::int64_t> programMs;
    // The clock the counts read, whichever it is.
    std::int64_t shownMs() const { return programMs.value_or(trueMs); }
};

// One event of the board, as a happening tells it.
struct HappeningEvent {
    int number = 0;       // 1 to 10, as the board names its rows
    std::string name;
    // Seconds from the launch time: negative before it (T-), positive after it (T+).
    std::int64_t signedOffset = 0;
};

struct Happening {
    enum class Kind {
        Hold,
        Resume,
        LaunchTimeSet,
        LaunchWindowSet,
        WindowWarned,
        WindowExpired,
        EventDefined,
        EventRemoved,
        EventPassed,
        Liftoff,
        SimTimeSet,
        SimTimeRestored,
        FileRead,
        FileSaved,
        ProgramStart,
        ProgramExit,
        BuiltInHold,
        BuiltInHoldEnd,
        RemoteCommand,
        DevicePaired,
        PairingRefused,
        DeviceForgotten,
    };
    Kind kind = Kind::ProgramStart;
    ClockReading at;
    ShownCount shown;

    // LaunchTimeSet, Resume: the launch instant before and after. Liftoff: the launch instant.
    std::optional<Instant> oldLaunch, newLaunch;
    // Resume: how long the hold lasted, in real seconds.
    std::optional<std::int64_t> heldSeconds;
    // EventDefined, EventRemoved, EventPassed.
    std::optional<HappeningEvent> event;
    // SimTimeSet, SimTimeRestored: the program's clock before and after, in Unix ms.
    std::optional<std::int64_t> oldClockMs, newClockMs;
    // FileRead, FileSaved.
    std::string path;
    // LaunchWindowSet, WindowWarned, WindowExpired: the window as shown, and whether active;
    // what is left of it and the budget its current use draws on, in seconds (empty where the
    // window was given as something other than a time).
    std::string windowText;
    bool windowActive = false;
    std::optional<std::int64_t> windowLeftSeconds, windowBudgetSeconds;
    // BuiltInHold, BuiltInHoldEnd: the hold's label and planned length in seconds (its actual
    // length is heldSeconds).
    std::string holdLabel;
    std::optional<std::int64_t> plannedSeconds;
    // The paired device that gave the command, by its name; empty for the program's own
    // controls. RemoteCommand: the command ("hold-enable", "mute"); PairingRefused: why.
    std::string by;
    std::string command;
};

// What the main screen and the present window show for a few seconds after a paired device's
// command: "Hold from Flight director's tablet". Empty for any other happening.
std::string commandNote(const Happening& h);

// The name of a kind, for logs and tests: "hold", "launch time set", ...
std::string_view kindName(Happening::Kind kind);

// Unsubscribes when reset or destroyed.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : m_cancel(std::move(cancel)) {}
    Subscription(Subscription&& o) noexcept : m_cancel(std::exchange(o.m_cancel, nullptr)) {}
    Subscription& operator=(Subscription&& o) noexcept {
        if (this != &o) {
            reset();
            m_cancel = std::exchange(o.m_cancel, nullptr);
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { reset(); }
    void reset() {
        if (auto cancel = std::exchange(m_cancel, nullptr))
            cancel();
    }

  private:
    std::function<void()> m_cancel;
};

class Happenings {
  public:
    using Listener = std::function<void(const Happening&)>;
    Happenings();
    ~Happenings();
    Happenings(const Happenings&) = delete;
    Happenings& operator=(const Happenings&) = delete;

    // Every happening, from now on, until the subscription goes. The stream must outlive
    // the subscription's use only while both exist: a subscription outliving the stream is
    // harmless.
    [[nodiscard]] Subscription subscribe(Listener listener);
    // After each round of the timers: right after every turn of the clock's second, and
    // right after every other event. What shows on screen may have changed.
    [[nodiscard]] Subscription subscribeRounds(std::function<void()> listener);

    // Tells every listener (the window logic calls it).
    void raise(const Happening& h);
    void roundDone();

    struct Lists; // the listeners, shared with the subscriptions that remove them

  private:
    std::shared_ptr<Lists> m_lists;
};

} // namespace orvane
