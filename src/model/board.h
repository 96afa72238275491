#pragma once

// The event timer board: ten event rows, each an offset from the launch time, counting down to
// its moment and up after it, standing in a column of ten places the user can put in time
// order and scroll. The board holds the rows' state and the rules that move it; the event
// timers window shows it and raises the happenings where the board decides.

#include "dates/zone.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Which side of the launch time an event lies on.
enum class Direction { Before, After };

// Where a row's count stands.
enum class RowPhase {
    Fresh,        // counts afresh: the count up captures its moment at its next tick
    CountingUp,   // passed; counts up from the moment it captured
    CountingDown, // still ahead, counting down
};

// How strongly a row's panel warns of its event.
enum class AlertLevel { None, TenMinutes, LastMinute };

// The marks the scroll commands look for: the rows sequenced to the first and the last place.
enum class TravelEnd { None, High, Low };

// A count as a row shows it: whole seconds, up from a passed moment or down to one ahead.
struct RowCount {
    std::int64_t seconds = 0;
    bool up = false;
    bool operator==(const RowCount&) const = default;
};

struct BoardRow {
    // The row carries its direction mark: the event is assigned.
    bool defined = false;
    // The event's direction as recorded; none for an event never set. Removing an event
    // keeps it, so the row still takes its place in time order.
    std::optional<Direction> direction;
    // The size of the offset from the launch time, in seconds.
    std::int32_t offsetSeconds = 0;
    std::string name;
    bool visible = true;
    RowPhase phase = RowPhase::Fresh;
    // The moment the count up captured, kept until it captures another.
    std::optional<LocalTime> captured;
    // The place the row stands at, 0 at the top; scrolling takes it beyond 0 to 9.
    int place = 0;
    TravelEnd end = TravelEnd::None;

    // What the last ticks showed: the count (none before the first), whether its colour
    // says the event is ahead, and the panel's warning.
    std::optional<RowCount> count;
    bool countAhead = false;
    AlertLevel shownAlert = AlertLevel::None;

    // Only an assigned event after launch counts after it; every other row, assigned or
    // not, counts its offset before the launch time.
    Direction countDirection() const {
        return defined && direction == Direction::After ? Direction::After : Direction::Before;
    }
    // Seconds from the launch time as the row counts: negative before it, positive after it.
    std::int64_t signedOffset() const {
        return countDirection() == Direction::After ? offsetSeconds : -std::int64_t(offsetSeconds);
    }
    // The direction mark as the row carries it: "+", "-" or "".
    std::string mark() const;
    // The recorded direction's sign: "+", "-" or "" for an event never set.
    std::string sign() const;
    // The key of time order: the recorded sign followed by the offset's digits, read as a
    // number, so events before launch come first and an event never set stands at launch.
    std::int32_t orderKey() const;
};

// The direction a mark names: "+" after launch, any other mark before it, none for no mark.
std::optional<Direction> directionOfMark(std::string_view mark);

class Board {
  public:
    static constexpr int Rows = 10;

    // As designed: row N at place N, named "Event #N+1", shown, the first and last places
    // marked for scrolling.
    Board();

    const BoardRow& row(int n) const { return m_rows.at(std::size_t(n)); }

    // ---- the rows' definitions ----
    // Defines event n: named, marked with its direction, shown, counting afresh.
    void define(int n, std::string name, Direction direction, std::int32_t secs);
    // Removes event n's mark and hides it, naming it NAME; its offset and direction stay.
    void clear(int n, std::string name);
    // Sets row n as a launch data file records it, counting afresh.
    void restore(int n, std::string name, std::optional<Direction> mark, bool visible);
    void setName(int n, std::string name);
    // Marks row n with DIRECTION, which becomes the recorded one, or takes the mark away.
    void setMark(int n, std::optional<Direction> direction);
    void setDirection(int n, std::optional<Direction> direction);
    void setOffset(int n, std::int32_t secs);
    void setVisible(int n, bool visible);
    // Showing the board brings back every assigned row; removed rows stay hidden.
    void showAssignedRows();

    // ---- the counts ----
    // The moment event n lies at for the launch instant LAUNCH.
    Instant eventMoment(int n, Instant launch) const;
    // The moment row n counts to, or, once it counts up from a captured moment, from.
    Instant countMoment(int n, Instant launch, Instant now, const TimeZone& zone) const;
    AlertLevel alertLevel(int n, Instant launch, Instant now) const;
    void setPhase(int n, RowPhase phase);
    void setCaptured(int n, std::optional<LocalTime> captured);
    // The count down's tick: rows ahead count down; a row whose moment came hands over to
    // the count up.
    void countDown(Instant launch, Instant now);
    // The count up's tick: rows whose moment has come capture it once and count up from it.
    // PASSED hears each assigned event whose moment the clock reached since the last tick.
    void countUp(Instant launch, Instant now, const TimeZone& zone,
                 const std::function<void(int)>& passed);
    // The alert tick: each panel warns of its event in its last ten minutes.
    void showAlerts(Instant launch, Instant now);

    // ---- order and scrolling ----
    // One more than the number of events with a smaller key: tied events share a rank.
    int rank(std::int32_t key) const;
    // Puts the rows in time order, ties in event-number order, and marks the ends.
    void sequence();
    void setEnd(int n, TravelEnd end);
    // The column moves a whole place up or down; the move that reaches the end of the travel
    // disables its own direction.
    void scrollUp();
    void scrollDown();
    bool canScrollUp() const { return m_canScrollUp; }
    bool canScrollDown() const { return m_canScrollDown; }

  private:
    BoardRow& at(int n) { return m_rows.at(std::size_t(n)); }
    // The row of the last travel mark END, if any.
    const BoardRow* lastMarked(TravelEnd end) const;

    std::array<BoardRow, Rows> m_rows;
    bool m_canScrollUp = true;
    bool m_canScrollDown = false;
    // What the count up saw at its last tick: which moments lay ahead, and the launch time.
    std::array<bool, Rows> m_ahead{};
    std::optional<Instant> m_countedLaunch;
};

} // namespace orvane
