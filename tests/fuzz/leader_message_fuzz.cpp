// Feeds a follower's reader of its leader's messages any bytes at all. Besides the sanitizers'
// findings it stops on a reader that takes a message outside what a leader can say, or one
// whose own rewrite it then refuses or reads differently.

#include "follow/leader_message.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void require(bool holds) {
    if (!holds)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    namespace lim = orvane::leader_limits;
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    std::string error;
    const std::optional<orvane::LeaderMessage> first = orvane::parseLeaderMessage(text, error);
    if (!first) {
        require(!error.empty()); // a refusal always says why
        return 0;
    }
    require(first->sequence >= 1 && first->state.events.size() <= 10);
    require(first->trueTimeMs + first->simOffsetMs >= lim::FirstMs &&
            first->trueTimeMs + first->simOffsetMs <= lim::LastMs);
    require(first->state.count.days <= lim::MaxDays && first->state.count.hours < 24);
    for (const orvane::RemoteEvent& e : first->state.events)
        require(e.number >= 1 && e.number <= 10 && e.offsetSeconds <= lim::MaxOffsetSeconds);
    const std::string written = orvane::leaderMessageJson(*first);
    const std::optional<orvane::LeaderMessage> second = orvane::parseLeaderMessage(written, error);
    require(second && orvane::leaderMessageJson(*second) == written);
    return 0;
}
