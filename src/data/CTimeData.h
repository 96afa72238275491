#pragma once

// The records that carry data between windows: the ten event timers' definitions, and one
// simulated mission time.

#include "model/board.h"
#include "toolkit/value.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvane {

// A variant property holds empty, a text or a number; the program only ever stores texts.
using Variant = PropValue;

// The per-event numbers of the ten event timers (event numbers 0 to 9), as scripts and the
// launch data file name them: SecsN is the size of the event's offset from the launch time in
// seconds, PlusN its direction ("+" after liftoff, "-" before, empty for an event never set),
// TagN a value only the launch data file reads and writes, HoldN a value nothing uses. The
// offset and the direction are the board's own: the record reads and writes them there.
class CTimeData {
  public:
    explicit CTimeData(Board& board) : m_board(board) {}

    // The property of event n (0 to 9) in each family.
    std::int32_t Secs(int n) const { return m_board.row(n).offsetSeconds; }
    void setSecs(int n, std::int32_t v) { m_board.setOffset(n, v); }
    Variant Plus(int n) const;
    // "+" and "-" set the direction; anything else unsets it.
    void setPlus(int n, const Variant& v);
    const Variant& Tag(int n) const { return m_tag.at(n); }
    void setTag(int n, Variant v) { m_tag.at(n) = std::move(v); }
    const Variant& Hold(int n) const { return m_hold.at(n); }
    void setHold(int n, Variant v) { m_hold.at(n) = std::move(v); }

    // PlusN as a text: empty when unset.
    std::string plusText(int n) const { return m_board.row(n).sign(); }
    // The signed offset of event n: the number read from PlusN followed by the digits of
    // SecsN ("-" with 600 is -600; an event never set is 0).
    std::int32_t signedOffset(int n) const { return m_board.row(n).orderKey(); }
    // The place of a signed offset in time order among the ten events, 1 to 10: one more
    // than the number of events with a strictly smaller offset, so tied events share a rank.
    // Every event takes part, assigned or not.
    int EventRank(std::int32_t offset) const { return m_board.rank(offset); }

  private:
    Board& m_board;
    std::array<Variant, 10> m_tag{};
    std::array<Variant, 10> m_hold{};
};

// One simulated mission time: parts are negative before launch.
class CSimTime {
  public:
    const std::string& PrePost() const { return m_prePost; }
    void setPrePost(std::string v) { m_prePost = std::move(v); }
    std::int32_t Days() const { return m_days; }
    void setDays(std::int32_t v) { m_days = v; }
    std::int32_t Hours() const { return m_hours; }
    void setHours(std::int32_t v) { m_hours = v; }
    std::int32_t Minutes() const { return m_minutes; }
    void setMinutes(std::int32_t v) { m_minutes = v; }
    std::int32_t Seconds() const { return m_seconds; }
    void setSeconds(std::int32_t v) { m_seconds = v; }

  private:
    std::string m_prePost;
    std::int32_t m_days = 0, m_hours = 0, m_minutes = 0, m_seconds = 0;
};

} // namespace orvane
