#include "qt/remote/screen_socket.h"

#include "qt/remote/ws_frame.h"

#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QSslSocket>
#include <QTcpSocket>

#include <cerrno>
#include <fcntl.h>
#include <linux/sockios.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace orvane {

namespace {

enum Opcode { Continuation = 0x0, Text = 0x1, Binary = 0x2, Close = 0x8, Ping = 0x9, Pong = 0xA };

// Close codes.
constexpr quint16 Normal = 1000;
constexpr quint16 ProtocolError = WsProtocolError;
constexpr quint16 PolicyViolation = 1008;

// Reads of a screen's connection at one readiness, 4 KiB each: what is left waits for the
// next, so that no screen holds the loop.
constexpr int ReadSize = 4096;
constexpr int ReadsAtOnce = 16;

bool wouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

} // namespace

ScreenPoller::ScreenPoller(QObject* parent)
    : QObject(parent), m_epoll(::epoll_create1(EPOLL_CLOEXEC)) {
    if (m_epoll < 0)
        return;
    m_notifier = new QSocketNotifier(m_epoll, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ScreenPoller::ready);
}

ScreenPoller::~ScreenPoller() {
    delete m_notifier;
    if (m_epoll >= 0)
        ::close(m_epoll);
}

bool ScreenPoller::watch(int fd, ScreenSocket* screen, bool writing) {
    if (m_epoll < 0)
        return false;
    epoll_event event{};
    event.events = EPOLLIN | EPOLLRDHUP | (writing ? EPOLLOUT : 0u);
    event.data.ptr = screen;
    return ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event) == 0 ||
           (errno == ENOENT && ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event) == 0);
}

void ScreenPoller::forget(int fd) {
    if (m_epoll >= 0)
        ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
}

void ScreenPoller::ready() {
    // Level-triggered: whatever is not taken now is there again at the next turn of the loop.
    epoll_event events[64];
    const int count = ::epoll_wait(m_epoll, events, 64, 0);
    // A screen dropped while this list is served is deleted only later, from the loop.
    for (int i = 0; i < count; ++i)
        static_cast<ScreenSocket*>(events[i].data.ptr)->ready(events[i].events);
}

ScreenSocket::ScreenSocket(QTcpSocket* socket, ScreenPoller& poller, QObject* parent)
    : QObject(parent), m_poller(poller) {
    m_sinceAnswer.start();
    m_messageDeadline.setSingleShot(true);
    m_messageDeadline.setInterval(MessageTimeoutMs);
    connect(&m_messageDeadline, &QTimer::timeout, this, [this] { fail(PolicyViolation); });
    if (auto* tls = qobject_cast<QSslSocket*>(socket)) {
        keepTls(tls);
        return;
    }
    // The handshake's answer goes out first; what the screen sent after its request stays to
    // be read as frames.
    socket->flush();
    m_in = socket->readAll();
    if (socket->state() == QAbstractSocket::ConnectedState && socket->bytesToWrite() == 0)
        m_fd = ::fcntl(int(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
    socket->disconnect();
    socket->abort();
    socket->deleteLater();
    if (m_fd < 0 || ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK) != 0 ||
        !m_poller.watch(m_fd, this, false)) {
        drop();
        return;
    }
    if (!m_in.isEmpty())
        parseFrames();
}

ScreenSocket::~ScreenSocket() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void ScreenSocket::sendText(const QByteArray& text) {
    send(Text, text);
}

QByteArray ScreenSocket::textFrame(const QByteArray& text) {
    return frame(Text, text);
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
    if (m_tls) {
        m_tls->disconnect(this);
        m_tls->abort();
        m_tls->deleteLater();
        m_tls = nullptr;
    }
    if (m_fd >= 0) {
        m_poller.forget(m_fd);
        ::close(m_fd);
        m_fd = -1;
    }
    m_in.clear();
    m_out.clear();
    // The one who dropped it may be walking the list of screens: it hears of it later.
    QTimer::singleShot(0, this, [this] {
        if (onGone)
            onGone();
        deleteLater();
    });
}

void ScreenSocket::ready(std::uint32_t events) {
    if (m_dropped)
        return;
    if (events & EPOLLOUT)
        writeOut();
    // A connection closed or failed reads as its end or its error.
    if (!m_dropped && (events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR)))
        readFrames();
}

QByteArray ScreenSocket::frame(int opcode, QByteArrayView payload) {
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
    return frame;
}

void ScreenSocket::sendFrame(const QByteArray& frame) {
    if (m_dropped)
        return;
    // Handed to the kernel now, in this round; only what it has no room for waits here, and
    // the poller says when there is room again. Nothing waiting, the frame is shared, not
    // copied.
    if (m_out.isEmpty()) {
        m_out = frame;
        writeOut();
    } else {
        m_out.append(frame);
    }
    if (!m_dropped && queued() > MaxQueuedBytes)
        drop();
}

void ScreenSocket::writeOut() {
    if (m_tls) {
        if (m_tls->write(m_out) != m_out.size())
            drop();
        m_out.clear();
        return;
    }
    while (!m_out.isEmpty()) {
        const ssize_t sent = ::send(m_fd, m_out.constData(), size_t(m_out.size()), MSG_NOSIGNAL);
        if (sent == m_out.size()) {
            m_out.clear();
        } else if (sent > 0) {
            m_out.remove(0, sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && wouldBlock(errno)) {
            watchWrites(true);
            return;
        } else {
            drop();
            return;
        }
    }
    watchWrites(false);
}

void ScreenSocket::watchWrites(bool writing) {
    if (writing == m_writing)
        return;
    m_writing = writing;
    if (!m_poller.watch(m_fd, this, writing))
        drop();
}

qint64 ScreenSocket::queued() const {
    // What the network has not taken yet, in this process and in the kernel's send queue.
    int unsent = 0;
    const int fd = m_tls ? int(m_tls->socketDescriptor()) : m_fd;
    if (::ioctl(fd, SIOCOUTQ, &unsent) != 0)
        unsent = 0;
    return m_out.size() + unsent +
           (m_tls ? m_tls->bytesToWrite() + m_tls->encryptedBytesToWrite() : 0);
}

void ScreenSocket::refuse() {
    fail(PolicyViolation);
}

void ScreenSocket::fail(quint16 code) {
    if (m_dropped)
        return;
    send(Close, QByteArray{char(code >> 8), char(code & 0xFF)});
    drop();
}

void ScreenSocket::readFrames() {
    char buffer[ReadSize];
    for (int reads = 0; reads < ReadsAtOnce && !m_dropped; ++reads) {
        const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && wouldBlock(errno))
            return;
        if (got <= 0) {
            // The screen left, or its connection failed.
            drop();
            return;
        }
        m_in.append(buffer, got);
        parseFrames();
        if (got < ReadSize)
            return;
    }
}

void ScreenSocket::parseFrames() {
    while (!m_dropped && readFrame()) {
    }
    if (m_dropped)
        return;
    // What is left is less than one frame: a head and at most a message's worth.
    m_in.remove(0, m_at);
    m_at = 0;
}

bool ScreenSocket::readFrame() {
    WsFrame frame;
    quint16 code = 0;
    switch (
        readWsFrame(m_in, m_at, m_inMessage ? m_messageBytes : 0, MaxMessageBytes, frame, code)) {
    case WsRead::Incomplete:
        return false;
    case WsRead::Fail:
        fail(code);
        return false;
    case WsRead::Frame:
        break;
    }
    if (++m_framesSincePing > MaxFramesBetweenPings) {
        fail(PolicyViolation);
        return false;
    }
    heard(frame.opcode, frame.fin, frame.payload);
    return true;
}

void ScreenSocket::heard(int opcode, bool fin, QByteArrayView payload) {
    switch (opcode) {
    case Continuation:
        if (!m_inMessage)
            return fail(ProtocolError);
        if (++m_messageFrames > MaxMessageFrames)
            return fail(PolicyViolation);
        m_messageBytes += payload.size();
        if (onMessage && m_textMessage)
            m_message.append(payload);
        break;
    case Text:
    case Binary:
        if (m_inMessage)
            return fail(ProtocolError);
        m_inMessage = true;
        m_messageFrames = 1;
        m_messageBytes = payload.size();
        m_messageDeadline.start();
        m_textMessage = opcode == Text;
        if (onMessage && m_textMessage)
            m_message = payload.toByteArray();
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
    // A whole message: the program has no use for what screens say; a device's text is
    // heard.
    if (fin) {
        m_inMessage = false;
        m_messageFrames = 0;
        m_messageBytes = 0;
        m_messageDeadline.stop();
        if (onMessage && m_textMessage) {
            const QByteArray message = std::exchange(m_message, {});
            onMessage(message);
        }
    }
}

} // namespace orvane
