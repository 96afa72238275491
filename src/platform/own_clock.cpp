#include "platform/own_clock.h"

namespace orvane {

void OwnClock::setOffset(std::optional<std::int64_t> offset) {
    m_offset = offset;
    if (onChange)
        onChange(*this);
}

} // namespace orvane
