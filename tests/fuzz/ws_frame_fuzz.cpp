// Feeds the server's WebSocket frame reader any bytes at all, read as a screen's connection is:
// frame after frame, messages bounded to 1 KiB. Besides the sanitizers' findings it stops on a
// frame taken past the bytes given, a control frame that is long or in pieces, or a message
// past its bound.

#include "qt/remote/ws_frame.h"

#include <cstddef>
#include <cstdint>

namespace {

void require(bool holds) {
    if (!holds)
        __builtin_trap();
}

constexpr qint64 MaxMessage = 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    QByteArray in(reinterpret_cast<const char*>(bytes), qsizetype(size));
    qsizetype at = 0;
    qint64 message = 0;
    bool inMessage = false;
    for (;;) {
        orvane::WsFrame frame;
        quint16 code = 0;
        const qsizetype before = at;
        const orvane::WsRead read =
            orvane::readWsFrame(in, at, inMessage ? message : 0, MaxMessage, frame, code);
        if (read != orvane::WsRead::Frame) {
            require(at == before);
            require(read == orvane::WsRead::Incomplete || code == orvane::WsProtocolError ||
                    code == orvane::WsTooBig);
            return 0;
        }
        require(at > before && at <= in.size());
        require(frame.payload.data() >= in.constData() &&
                frame.payload.data() + frame.payload.size() <= in.constData() + at);
        if (frame.opcode & 0x8) {
            require(frame.fin && frame.payload.size() <= 125);
            continue;
        }
        message = (inMessage ? message : 0) + frame.payload.size();
        require(message <= MaxMessage);
        inMessage = !frame.fin;
    }
}
