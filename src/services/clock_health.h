#pragma once

// How far this computer's clock can be trusted: whether it is kept synchronised and, where
// the kernel says, its largest possible error. Two Orvanes agree on the count only if their
// clocks do, so every Orvane shows this, and a leader publishes it to its followers.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvane {

struct ClockHealth {
    enum class Sync {
        Unknown,        // not read yet, or the clock service could not be asked
        Synchronised,   // the clock service says the clock is synchronised
        NotSynchronised // it says it is not
    };
    Sync sync = Sync::Unknown;
    // The kernel's largest possible error of the clock, in milliseconds, where it gives one.
    std::optional<std::int64_t> maxErrorMs;

    bool operator==(const ClockHealth&) const = default;
};

// Reads the clock's health now and then, off the count's path, and tells its listener on the
// user-interface thread whenever the reading changes. The real one asks the clock service over
// D-Bus and the kernel; tests give a fake.
class ClockHealthSource {
  public:
    virtual ~ClockHealthSource() = default;
    // The last reading.
    virtual ClockHealth current() const = 0;
    // Called with each new reading that differs from the last; one listener.
    virtual void onChange(std::function<void(const ClockHealth&)> listener) = 0;
};

// The status bar's words for a reading: "Clock synchronised (+-N ms)", "Clock synchronised"
// without a figure, "Clock not synchronised" (shown in amber), or empty while unknown.
std::string clockHealthText(const ClockHealth& health);
bool clockHealthWarns(const ClockHealth& health);

} // namespace orvane
