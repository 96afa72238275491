// Feeds a follower's reader of the happenings its leader's state messages carry any bytes at
// all. Besides the sanitizers' findings it stops on a reader that takes a list a leader cannot
// send (too long, numbered out of range or out of order), or one that the whole message's
// reader reads differently.

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
    const auto happenings = orvane::parseLeaderHappenings(text, error);
    std::string messageError;
    const auto message = orvane::parseLeaderMessage(text, messageError);
    if (!happenings) {
        // Refused with a reason, or no list at all; a message the reader takes agrees.
        require(!message || (error.empty() && !message->happenings));
        return 0;
    }
    require(error.empty() && happenings->size() <= lim::MaxHappenings);
    std::int64_t before = 0;
    for (const orvane::LeaderHappening& h : *happenings) {
        require(h.sequence > before && h.sequence <= lim::MaxSequence);
        require(h.kind.size() <= lim::MaxKindBytes);
        before = h.sequence;
    }
    if (message) {
        require(message->happenings == happenings);
        const std::string written = orvane::leaderMessageJson(*message);
        require(orvane::parseLeaderHappenings(written, error) == happenings);
    }
    return 0;
}
