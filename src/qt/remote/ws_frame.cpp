#include "qt/remote/ws_frame.h"

namespace orvane {

WsRead readWsFrame(QByteArray& in, qsizetype& at, qint64 messageSoFar, qint64 maxMessage,
                   WsFrame& frame, quint16& failCode) {
    const qsizetype left = in.size() - at;
    if (left < 2)
        return WsRead::Incomplete;
    const auto byte = [&](qsizetype i) { return static_cast<quint8>(in[at + i]); };
    const bool fin = byte(0) & 0x80;
    const int opcode = byte(0) & 0x0F;
    const bool masked = byte(1) & 0x80;
    qint64 size = byte(1) & 0x7F;
    qsizetype head = 2;
    const auto fail = [&](quint16 code) {
        failCode = code;
        return WsRead::Fail;
    };
    // No extensions were agreed, and every frame of a client is masked.
    if ((byte(0) & 0x70) != 0 || !masked)
        return fail(WsProtocolError);
    const bool control = opcode & 0x8;
    if (control && (!fin || size > 125))
        return fail(WsProtocolError);
    if (size >= 126) {
        const int bytes = size == 126 ? 2 : 8;
        if (left < head + bytes)
            return WsRead::Incomplete;
        size = 0;
        for (int i = 0; i < bytes; ++i) {
            // Anything past a message's bound is refused before its length is whole.
            if (size > maxMessage)
                return fail(WsTooBig);
            size = (size << 8) | byte(head + i);
        }
        head += bytes;
    }
    if (!control && messageSoFar + size > maxMessage)
        return fail(WsTooBig);
    head += 4;
    if (left < head + size)
        return WsRead::Incomplete;

    // Unmasked where it lies: the payload is heard from the buffer itself, not a copy.
    char* payload = in.data() + at + head;
    const char* mask = payload - 4;
    for (qsizetype i = 0; i < size; ++i)
        payload[i] = char(payload[i] ^ mask[i % 4]);
    at += head + size;
    frame = {opcode, fin, QByteArrayView(payload, size)};
    return WsRead::Frame;
}

} // namespace orvane
