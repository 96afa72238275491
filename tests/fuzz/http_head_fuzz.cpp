// Feeds the remote displays' request head reader any bytes at all, as the server does: a head
// is looked for in at most 8 KiB and read only when it ends there. Besides the sanitizers'
// findings it stops on a head taken with a field or line it says it refuses.

#include "qt/remote/http_head.h"

#include <cstddef>
#include <cstdint>

namespace {

void require(bool holds) {
    if (!holds)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const QByteArray received(reinterpret_cast<const char*>(bytes), qsizetype(size));
    const bool bare = orvane::hasBareLineEnd(received);
    const qsizetype end = orvane::endOfHead(received);
    if (bare || end < 0 || end > 8 * 1024)
        return 0;
    const orvane::HttpHead head = orvane::parseHttpHead(received.left(end));
    if (head.status != 0) {
        require(head.status == 400);
        return 0;
    }
    require(head.path.startsWith('/') && !head.path.contains('?') && !head.path.contains(' '));
    require(head.version == "HTTP/1.1" || head.version == "HTTP/1.0");
    require(head.version == "HTTP/1.0" || !head.field("host").isEmpty());
    for (const auto& [name, value] : head.fields) {
        require(!name.isEmpty() && name == name.toLower());
        require(!value.contains('\r') && !value.contains('\n'));
    }
    return 0;
}
