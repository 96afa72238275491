#pragma once

// The reading of one WebSocket frame a client sent, on its own so that it can be fuzzed:
// strictly as a server must (every client frame masked, no extension bits, control frames whole
// and short), and bounded before its length is even whole.

#include <QByteArray>
#include <QByteArrayView>

namespace orvane {

struct WsFrame {
    int opcode = 0;
    bool fin = false;
    QByteArrayView payload; // unmasked, where it lies in the bytes read
};

enum class WsRead { Incomplete, Frame, Fail };

// Close codes a failed read gives.
inline constexpr quint16 WsProtocolError = 1002;
inline constexpr quint16 WsTooBig = 1009;

// Reads the frame at AT in IN, unmasking its payload in place and moving AT past it. A data
// frame may not take the message it continues (MESSAGESOFAR bytes so far) past MAXMESSAGE.
// Fail gives the close code in FAILCODE; Incomplete leaves everything as it was.
WsRead readWsFrame(QByteArray& in, qsizetype& at, qint64 messageSoFar, qint64 maxMessage,
                   WsFrame& frame, quint16& failCode);

} // namespace orvane
