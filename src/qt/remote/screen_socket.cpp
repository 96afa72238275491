#include "qt/remote/screen_socket.h"

#include <QRandomGenerator>
#include <QTcpSocket>

#include <linux/sockios.h>
#include <sys/ioctl.h>

namespace orvane {

namespace {

enum Opcode { Continuation = 0x0, Text = 0x1, Binary = 0x2, Close = 0x8, Ping = 0x9, Pong = 0xA };

// Close codes.
constexpr quint16 Normal = 1000;
constexpr quint16 ProtocolError = 1002;
constexpr quint16 PolicyViolation = 1008;
constexpr quint16 TooBig = 1009;

// The longest frame head: two bytes, eight of length, four of mask.
constexpr qsizetype MaxFrameHead = 14;

} // namespace

ScreenSocket::ScreenSocket(QTcpSocket* socket, QObject* parent)
    : QObject(parent), m_socket(socket) {
    socket->setParent(this);
    // Qt stops reading from the network while this much waits to be read here.
    socket->setReadBufferSize(4096);
    m_sinceAnswer.start();
    m_messageDeadline.setSingleShot(true);
    m_messageDeadline.setInterval(MessageTimeoutMs);
    connect(&m_messageDeadline, &QTimer::timeout, this, [this] { fail(PolicyViolation); });
    connect(socket, &QTcpSocket::readyRead, this, &ScreenSocket::readFrames);
    connect(socket, &QTcpSocket::disconnected, this, &ScreenSocket::drop);
    if (socket->state() != QAbstractSocket::ConnectedState)
        drop();
    else if (socket->bytesAvailable() > 0)
        readFrames();
}

void ScreenSocket::sendText(const QByteArray& text) {
    send(Text, text);
}

void ScreenSocket::ping() {
    m_previousPing = m_ping;
    const quint64 random = QRandomGenerator::global()->generate64();
    m_ping = QByteArray(reinterpret_cast<const char*>(&random), sizeof random);
    m_framesSincePing = 0;
    send(Ping, m_ping);
}

void ScreenSocket::drop() {
    if (m_dropped)
        return;
    m_dropped = true;
    m_messageDeadline.stop();
    m_socket->disconnect(this);
    m_socket->abort();
    m_in.clear();
    // The one who dropped it may be walking the list of screens: it hears of it later.
    QTimer::singleShot(0, this, [this] {
        if (onGone)
            onGone();
        deleteLater();
    });
}

void ScreenSocket::send(int opcode, const QByteArray& payload) {
    if (m_dropped)
        return;
    QByteArray frame;
    frame.reserve(payload.size() + 10);
    frame.append(char(0x80 | opcode));
    const qint64 size = payload.size();
    if (size < 126) {
        frame.append(char(size));
    } else if (size < 65536) {
        frame.append(char(126));
        for (int shift = 8; shift >= 0; shift -= 8)
            frame.append(char((size >> shift) & 0xFF));
    } else {
        frame.append(char(127));
        for (int shift = 56; shift >= 0; shift -= 8)
            frame.append(char((size >> shift) & 0xFF));
    }
    frame.append(payload);
    m_socket->write(frame);
    // Handed to the kernel now, in this round: left to the event loop, each of fifty screens
    // would cost a write notification of its own and a wake-up of the loop to serve it.
    m_socket->flush();
    if (queued() > MaxQueuedBytes)
        drop();
}

qint64 ScreenSocket::queued() const {
    // What the network has not taken yet, in this process and in the kernel's send queue.
    int unsent = 0;
    if (::ioctl(int(m_socket->socketDescriptor()), SIOCOUTQ, &unsent) != 0)
        unsent = 0;
    return m_socket->bytesToWrite() + unsent;
}

void ScreenSocket::fail(quint16 code) {
    if (m_dropped)
        return;
    send(Close, QByteArray{char(code >> 8), char(code & 0xFF)});
    if (!m_dropped)
        m_socket->flush();
    drop();
}

void ScreenSocket::readFrames() {
    if (m_dropped)
        return;
    m_in.append(m_socket->readAll());
    while (!m_dropped && readFrame()) {
    }
    if (m_dropped)
        return;
    // What is left is less than one frame: a head and at most a message's worth.
    m_in.remove(0, m_at);
    m_at = 0;
}

bool ScreenSocket::readFrame() {
    const qsizetype left = m_in.size() - m_at;
    if (left < 2)
        return false;
    const auto byte = [this](qsizetype i) { return static_cast<quint8>(m_in[m_at + i]); };
    const bool fin = byte(0) & 0x80;
    const int opcode = byte(0) & 0x0F;
    const bool masked = byte(1) & 0x80;
    qint64 size = byte(1) & 0x7F;
    qsizetype head = 2;
    // No extensions were agreed, and every frame of a client is masked.
    if ((byte(0) & 0x70) != 0 || !masked) {
        fail(ProtocolError);
        return false;
    }
    const bool control = opcode & 0x8;
    if (control && (!fin || size > 125)) {
        fail(ProtocolError);
        return false;
    }
    if (size >= 126) {
        const int bytes = size == 126 ? 2 : 8;
        if (left < head + bytes)
            return false;
        size = 0;
        for (int i = 0; i < bytes; ++i) {
            // Anything past a message's bound is refused before its length is whole.
            if (size > MaxMessageBytes) {
                fail(TooBig);
                return false;
            }
            size = (size << 8) | byte(head + i);
        }
        head += bytes;
    }
    if (!control && (m_inMessage ? m_messageBytes : 0) + size > MaxMessageBytes) {
        fail(TooBig);
        return false;
    }
    head += 4;
    if (left < head + size)
        return false;

    QByteArray payload = m_in.mid(m_at + head, size);
    const char* mask = m_in.constData() + m_at + head - 4;
    for (qsizetype i = 0; i < payload.size(); ++i)
        payload[i] = char(payload[i] ^ mask[i % 4]);
    m_at += head + size;
    if (++m_framesSincePing > MaxFramesBetweenPings) {
        fail(PolicyViolation);
        return false;
    }
    heard(opcode, fin, payload);
    return true;
}

void ScreenSocket::heard(int opcode, bool fin, const QByteArray& payload) {
    switch (opcode) {
    case Continuation:
        if (!m_inMessage)
            return fail(ProtocolError);
        if (++m_messageFrames > MaxMessageFrames)
            return fail(PolicyViolation);
        m_messageBytes += payload.size();
        break;
    case Text:
    case Binary:
        if (m_inMessage)
            return fail(ProtocolError);
        m_inMessage = true;
        m_messageFrames = 1;
        m_messageBytes = payload.size();
        m_messageDeadline.start();
        break;
    case Close:
        // Its goodbye is answered, and the connection ends.
        return fail(Normal);
    case Ping:
        send(Pong, payload);
        return;
    case Pong:
        if (!payload.isEmpty() && (payload == m_ping || payload == m_previousPing))
            m_sinceAnswer.restart();
        return;
    default:
        return fail(ProtocolError);
    }
    // A whole message: the program has no use for what screens say.
    if (fin) {
        m_inMessage = false;
        m_messageFrames = 0;
        m_messageBytes = 0;
        m_messageDeadline.stop();
    }
}

} // namespace orvane
