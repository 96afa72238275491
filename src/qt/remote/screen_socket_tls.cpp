// A screen's WebSocket over TLS: the connection stays on the QSslSocket that decrypted its
// handshake. What it holds is bounded as on a plain connection: Qt reads from the network only
// while its buffer has room for one round of reads, and what waits to be sent counts what
// Qt has not encrypted or sent yet.

#include "qt/remote/screen_socket.h"

#include <QSslSocket>

namespace orvane {

namespace {
constexpr qint64 ReadRound = 16 * 4096;
} // namespace

void ScreenSocket::keepTls(QSslSocket* socket) {
    m_tls = socket;
    socket->setParent(this);
    socket->disconnect();
    socket->setReadBufferSize(ReadRound);
    connect(socket, &QSslSocket::readyRead, this, &ScreenSocket::readTls);
    connect(socket, &QSslSocket::disconnected, this, [this] { drop(); });
    connect(socket, &QSslSocket::errorOccurred, this, [this] { drop(); });
    connect(socket, &QSslSocket::bytesWritten, this, [this] {
        if (!m_dropped && queued() > MaxQueuedBytes)
            drop();
    });
    socket->flush();
    readTls();
}

void ScreenSocket::readTls() {
    if (m_dropped || !m_tls)
        return;
    m_in.append(m_tls->read(ReadRound));
    parseFrames();
}

} // namespace orvane
