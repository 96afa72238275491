#pragma once

// A screen's WebSocket once its opening handshake is answered. The program sends it text
// messages and pings; of what the screen says it hears only pongs, pings and its close, and
// it bounds all of it, so that no screen can take the program's memory or time: whatever
// waits to be sent to it, the frames of a message and their time, and how much it says
// between two pings.

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>

class QSocketNotifier;
class QSslSocket;
class QTcpSocket;

namespace orvane {

class ScreenSocket;

// The screens' connections, watched through one epoll set that the event loop watches as a
// single descriptor. Every wait of the loop that sleeps makes the kernel register a waiter on
// each descriptor it watches and take it off again, about a microsecond a descriptor: watched
// one by one, a room of fifty screens would cost that at every wake-up of the clock.
class ScreenPoller : public QObject {
  public:
    explicit ScreenPoller(QObject* parent = nullptr);
    ~ScreenPoller() override;

    // Watches FD for reading (and, while WRITING, for room to write), telling SCREEN.
    bool watch(int fd, ScreenSocket* screen, bool writing);
    void forget(int fd);

  private:
    void ready();

    int m_epoll = -1;
    QSocketNotifier* m_notifier = nullptr;
};

class ScreenSocket : public QObject {
  public:
    // Everything that waits to go to the screen, pongs and pings among it, here and in the
    // kernel: past this the screen is not reading and is dropped.
    static constexpr qint64 MaxQueuedBytes = 64 * 1024;
    // A page has nothing to say but its pongs and its goodbye. A message (which is not read)
    // is at most this large, in at most this many frames, complete within this time.
    static constexpr qint64 MaxMessageBytes = 1024;
    static constexpr int MaxMessageFrames = 16;
    static constexpr int MessageTimeoutMs = 5000;
    // No screen says anything near this many frames between two of the program's pings.
    static constexpr int MaxFramesBetweenPings = 4096;

    // Takes the connection over, with any bytes already read after the handshake; the
    // socket itself is closed and deleted, the connection kept on a descriptor of its own
    // that POLLER watches.
    ScreenSocket(QTcpSocket* socket, ScreenPoller& poller, QObject* parent);
    ~ScreenSocket() override;

    // Called once, from the event loop, when the screen has been dropped or has left; the
    // object then deletes itself.
    std::function<void()> onGone;
    // A paired device's socket hears its whole text messages here, within the same bounds;
    // without it, what a screen says is not read.
    std::function<void(QByteArrayView)> onMessage;

    void sendText(const QByteArray& text);
    // A text message framed once for every screen that hears it: sendFrame sends the same
    // bytes to each, without a copy of them for each.
    static QByteArray textFrame(const QByteArray& text);
    void sendFrame(const QByteArray& frame);
    // A ping with a payload of its own: only a pong that carries it back is an answer.
    void ping();
    // Milliseconds since the screen last answered a ping, or since it connected.
    qint64 msSinceAnswer() const { return m_sinceAnswer.elapsed(); }
    // Dropped at once, without a word; nothing more is sent or read.
    void drop();
    // Says it breaks the rules in a close frame, then drops it.
    void refuse();

    // What the poller saw on the connection (epoll's event bits).
    void ready(std::uint32_t events);

  private:
    // Over TLS the connection stays on its QSslSocket, which decrypts it; its buffers are
    // bounded as the kernel's are (screen_socket_tls.cpp).
    void keepTls(QSslSocket* socket);
    void readTls();
    void readFrames();
    void parseFrames();
    void writeOut();
    // Asks the poller to say when there is room to write, or to stop saying it.
    void watchWrites(bool writing);
    // Reads one frame from m_in at m_at; false when the frame is not complete yet.
    bool readFrame();
    void heard(int opcode, bool fin, QByteArrayView payload);
    static QByteArray frame(int opcode, QByteArrayView payload);
    void send(int opcode, QByteArrayView payload) { sendFrame(frame(opcode, payload)); }
    qint64 queued() const;
    // Says why in a close frame, then drops the screen.
    void fail(quint16 code);

    ScreenPoller& m_poller;
    int m_fd = -1;
    QSslSocket* m_tls = nullptr;
    bool m_dropped = false;
    QByteArray m_in;
    QByteArray m_out; // what the kernel had no room for yet
    bool m_writing = false; // the poller watches for room to write
    qsizetype m_at = 0;
    QByteArray m_ping, m_previousPing;
    QElapsedTimer m_sinceAnswer;
    int m_framesSincePing = 0;
    bool m_inMessage = false;
    int m_messageFrames = 0;
    qint64 m_messageBytes = 0;
    QTimer m_messageDeadline;
    bool m_textMessage = false;
    QByteArray m_message; // a message being heard, for onMessage

};

} // namespace orvane
