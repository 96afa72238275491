#include "services/clock_health.h"

namespace orvane {

std::string clockHealthText(const ClockHealth& health) {
    switch (health.sync) {
    case ClockHealth::Sync::Unknown:
        return {};
    case ClockHealth::Sync::NotSynchronised:
        return "Clock not synchronised";
    case ClockHealth::Sync::Synchronised:
        break;
    }
    if (!health.maxErrorMs)
        return "Clock synchronised";
    return "Clock synchronised (+-" + std::to_string(*health.maxErrorMs) + " ms)";
}

bool clockHealthWarns(const ClockHealth& health) {
    return health.sync == ClockHealth::Sync::NotSynchronised;
}

} // namespace orvane
