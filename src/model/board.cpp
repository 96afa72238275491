#include "model/board.h"

#include "dates/datetime.h"

#include <utility>

namespace orvane {

namespace {
// The ends of the travel: the top row eight places above the first place, or the bottom row at
// the ninth place or lower.
constexpr int HighestTravel = -8;
constexpr int LowestTravel = 8;
} // namespace

std::string BoardRow::mark() const {
    return defined ? sign() : std::string();
}

std::string BoardRow::sign() const {
    if (!direction)
        return {};
    return *direction == Direction::After ? "+" : "-";
}

std::int32_t BoardRow::orderKey() const {
    std::string text = sign();
    text += std::to_string(offsetSeconds);
    return std::int32_t(leadingNumber(text));
}

std::optional<Direction> directionOfMark(std::string_view mark) {
    if (mark.empty())
        return std::nullopt;
    return mark == "+" ? Direction::After : Direction::Before;
}

Board::Board() {
    for (int n = 0; n < Rows; ++n) {
        BoardRow& r = at(n);
        r.name = "Event #" + std::to_string(n + 1);
        r.place = n;
    }
    at(0).end = TravelEnd::High;
    at(Rows - 1).end = TravelEnd::Low;
}

void Board::define(int n, std::string name, Direction direction, std::int32_t secs) {
    at(n).offsetSeconds = secs;
    restore(n, std::move(name), direction, true);
}

void Board::clear(int n, std::string name) {
    BoardRow& r = at(n);
    r.name = std::move(name);
    r.defined = false;
    r.visible = false;
}

void Board::restore(int n, std::string name, std::optional<Direction> mark, bool visible) {
    BoardRow& r = at(n);
    r.name = std::move(name);
    r.visible = visible;
    setMark(n, mark);
    r.phase = RowPhase::Fresh;
}

void Board::setName(int n, std::string name) {
    at(n).name = std::move(name);
}

void Board::setMark(int n, std::optional<Direction> direction) {
    BoardRow& r = at(n);
    r.defined = direction.has_value();
    if (direction)
        r.direction = direction;
}

void Board::setDirection(int n, std::optional<Direction> direction) {
    at(n).direction = direction;
    // An assigned row always knows its direction: a record cleared under it counts before
    // launch, as its mark then says.
    if (at(n).defined && !direction)
        at(n).direction = Direction::Before;
}

void Board::setOffset(int n, std::int32_t secs) {
    at(n).offsetSeconds = secs;
}

void Board::setVisible(int n, bool visible) {
    at(n).visible = visible;
}

void Board::showAssignedRows() {
    for (BoardRow& r : m_rows)
        if (r.defined)
            r.visible = true;
}

// Events lie whole real seconds from launch, so a daylight saving change between the launch
// and the event does not move it.
Instant Board::eventMoment(int n, Instant launch) const {
    return launch.addSeconds(row(n).signedOffset());
}

Instant Board::countMoment(int n, Instant launch, Instant now, const TimeZone& zone) const {
    const Instant moment = eventMoment(n, launch);
    const BoardRow& r = row(n);
    if (now < moment || r.phase != RowPhase::CountingUp || !r.captured)
        return moment;
    return zone.toInstant(*r.captured);
}

AlertLevel Board::alertLevel(int n, Instant launch, Instant now) const {
    const std::int64_t ahead = secondsBetween(now, eventMoment(n, launch));
    if (ahead <= 0 || ahead > 600)
        return AlertLevel::None;
    return ahead > 60 ? AlertLevel::TenMinutes : AlertLevel::LastMinute;
}

void Board::setPhase(int n, RowPhase phase) {
    at(n).phase = phase;
}

void Board::setCaptured(int n, std::optional<LocalTime> captured) {
    at(n).captured = captured;
}

void Board::countDown(Instant launch, Instant now) {
    for (int n = 0; n < Rows; ++n) {
        BoardRow& r = at(n);
        const Instant moment = eventMoment(n, launch);
        if (now < moment) {
            r.countAhead = true;
            r.phase = RowPhase::CountingDown;
            r.count = RowCount{secondsBetween(now, moment), false};
        } else if (r.phase == RowPhase::CountingDown) {
            r.phase = RowPhase::Fresh;
        }
    }
}

// Rows whose moment has come count up from the moment captured when they first passed it, so
// a later change of the launch time does not move them unless the event comes back ahead.
void Board::countUp(Instant launch, Instant now, const TimeZone& zone,
                    const std::function<void(int)>& passed) {
    const bool sameLaunch = std::exchange(m_countedLaunch, launch) == launch;
    for (int n = 0; n < Rows; ++n) {
        BoardRow& r = at(n);
        const Instant moment = eventMoment(n, launch);
        // An event's count reaches zero when the clock reaches its moment, not when a new
        // launch time or a newly defined event puts the moment behind the present.
        const bool wasAhead = std::exchange(m_ahead.at(std::size_t(n)), now < moment);
        if (now < moment)
            continue;
        if (wasAhead && sameLaunch && r.defined && passed)
            passed(n);
        r.countAhead = false;
        if (r.phase == RowPhase::Fresh) {
            r.phase = RowPhase::CountingUp;
            r.captured = zone.toLocal(moment);
        } else if (r.phase == RowPhase::CountingDown) {
            // The count down has not yet seen the moment pass; a later tick captures it.
            continue;
        }
        r.count = RowCount{secondsBetween(countMoment(n, launch, now, zone), now), true};
    }
}

void Board::showAlerts(Instant launch, Instant now) {
    for (int n = 0; n < Rows; ++n)
        at(n).shownAlert = alertLevel(n, launch, now);
}

int Board::rank(std::int32_t key) const {
    int rank = Rows + 1;
    for (const BoardRow& r : m_rows)
        if (key <= r.orderKey())
            --rank;
    return rank;
}

// Tied events share a rank and the places after them stay free; then each row in event-number
// order moves every other row standing at its place one place down, which walks each tie group
// down into those free places. A row moved away from the first place keeps its "High".
void Board::sequence() {
    for (BoardRow& r : m_rows)
        r.end = TravelEnd::None;
    for (BoardRow& r : m_rows) {
        const int rank = this->rank(r.orderKey());
        r.place = rank - 1;
        if (rank == 1)
            r.end = TravelEnd::High;
        if (rank == Rows)
            r.end = TravelEnd::Low;
    }
    for (BoardRow& r : m_rows) {
        for (BoardRow& other : m_rows)
            if (&other != &r && other.place == r.place)
                ++other.place;
        if (r.place == 0)
            r.end = TravelEnd::High;
        else if (r.place == Rows - 1)
            r.end = TravelEnd::Low;
    }
}

void Board::setEnd(int n, TravelEnd end) {
    at(n).end = end;
}

const BoardRow* Board::lastMarked(TravelEnd end) const {
    const BoardRow* last = nullptr;
    for (const BoardRow& r : m_rows)
        if (r.end == end)
            last = &r;
    return last;
}

// Each command looks at the position before its move, so the one that reaches the end of the
// travel disables itself and still makes the move.
void Board::scrollUp() {
    m_canScrollDown = true;
    if (const BoardRow* high = lastMarked(TravelEnd::High); high && high->place <= HighestTravel)
        m_canScrollUp = false;
    for (BoardRow& r : m_rows)
        --r.place;
}

void Board::scrollDown() {
    m_canScrollUp = true;
    if (const BoardRow* low = lastMarked(TravelEnd::Low); low && low->place >= LowestTravel)
        m_canScrollDown = false;
    for (BoardRow& r : m_rows)
        ++r.place;
}

} // namespace orvane
