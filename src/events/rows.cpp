#include "app.h"
#include "events/frmEventTimers.h"

#include <string>

namespace orvane {

void frmEventTimers::DefineEvent(int n, std::string_view name, std::string_view sign,
                                 std::int32_t secs) {
    if (n < 0 || n > 9)
        return;
    const std::optional<Direction> direction = directionOfMark(sign);
    if (!direction) {
        if (isAssigned(n))
            raiseRow(Happening::Kind::EventRemoved, n);
        m_board.clear(n, std::string(name));
        render();
        return;
    }
    m_board.define(n, std::string(name), *direction, secs);
    tmrToolTips.setEnabled(true);
    render();
    raiseRow(Happening::Kind::EventDefined, n);
}

void frmEventTimers::RestoreEventRow(int n, std::string_view name, std::optional<Direction> mark,
                                     bool visible) {
    m_board.restore(n, std::string(name), mark, visible);
    tmrToolTips.setEnabled(true);
    render();
}

} // namespace orvane
