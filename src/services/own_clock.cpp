#include "services/own_clock.h"

namespace orvane {

void OwnClock::setOffset(std::optional<std::int64_t> offsetMs) {
    m_offset = offsetMs;
    if (onChange)
        onChange(*this);
}

} // namespace orvane
