#pragma once

#include "services/services.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace orvane {

// The clock the program reads: the computer's clock, or, while the program keeps a clock of
// its own, the computer's clock moved by a number of milliseconds. A simulated mission time
// can so be shown where the computer's clock must not or cannot be changed; every count reads
// this clock, so the counts, the board and the status bar all follow it alike.
class OwnClock : public Clock {
  public:
    explicit OwnClock(Clock& computer) : m_computer(computer) {}

    Instant instant() const override { return Instant::fromUnixSeconds(floorDiv(unixMs(), 1000)); }
    std::int64_t unixMs() const override { return m_computer.unixMs() + m_offset.value_or(0); }
    TimeZone zone() const override { return m_computer.zone(); }
    std::int64_t monotonicMs() const override { return m_computer.monotonicMs(); }
    void setSystemDateTime(DateTime when, int msIntoSecond, SetAnswer answer) override {
        m_computer.setSystemDateTime(when, msIntoSecond, std::move(answer));
    }

    // The computer's own clock, the true time unless someone moved it.
    Clock& computer() { return m_computer; }
    const Clock& computer() const { return m_computer; }

    // Runs the program's clock OFFSET milliseconds from the computer's (empty: with it).
    void setOffset(std::optional<std::int64_t> offsetMs);
    const std::optional<std::int64_t>& offset() const { return m_offset; }

    static std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
        return a / b - (a % b != 0 && (a < 0) != (b < 0));
    }

    // Told after each change of the offset.
    std::function<void(const OwnClock&)> onChange;

  private:
    Clock& m_computer;
    std::optional<std::int64_t> m_offset;
};

} // namespace orvane
