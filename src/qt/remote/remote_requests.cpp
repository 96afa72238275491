// The server's side of HTTP: which connections it takes, how it reads and answers their
// requests, and the WebSocket handshakes that make screens of them.

#include "qt/remote/remote_server.h"

#include "qt/remote/http_head.h"
#include "qt/remote/screen_socket.h"
#include "remote/remote_access.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/socket.h>

#include <algorithm>

namespace orvane {

namespace {

QByteArray reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 413:
        return "Content Too Large";
    case 421:
        return "Misdirected Request";
    case 426:
        return "Upgrade Required";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

// Who is counted as one host: an IPv4 address, or an IPv6 network of 64 bits (one site's
// machines, each of which may take any number of addresses in it).
QByteArray hostKey(const QHostAddress& address) {
    bool v4 = false;
    const quint32 ipv4 = address.toIPv4Address(&v4);
    if (v4)
        return QByteArray::number(ipv4);
    const Q_IPV6ADDR ipv6 = address.toIPv6Address();
    return QByteArray(reinterpret_cast<const char*>(ipv6.c), 8).toHex();
}

QByteArray response(int status, const QByteArray& type, const QByteArray& body,
                    const QByteArray& extra) {
    QByteArray text = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) +
                      "\r\nContent-Type: " + type +
                      "\r\nContent-Length: " + QByteArray::number(body.size()) +
                      "\r\nCache-Control: no-store\r\nConnection: close\r\n"
                      "X-Content-Type-Options: nosniff\r\n" +
                      extra;
    if (status == 200 && type.startsWith("text/html"))
        text += "Content-Security-Policy: default-src 'none'; style-src 'unsafe-inline'; "
                "script-src 'unsafe-inline'; connect-src 'self'\r\n";
    return text + "\r\n" + body;
}

// Throws away what the client has sent so far, unread: a connection closed with unread bytes
// is reset, and a reset can cost the client the answer it was just sent.
void discardWaiting(QTcpSocket* socket) {
    socket->readAll();
    char sink[4096];
    for (int i = 0; i < 16; ++i)
        if (::recv(int(socket->socketDescriptor()), sink, sizeof sink, MSG_DONTWAIT) <= 0)
            break;
}

} // namespace

// What the server knows of a connection still speaking HTTP: its host, its deadline, and
// whether it has been answered. It lives on the socket and goes when the connection becomes
// a screen.
class PendingRequest : public QObject {
  public:
    PendingRequest(QTcpSocket* socket, QByteArray host) : QObject(socket), host(std::move(host)) {
        setObjectName(QStringLiteral("orvane-pending-request"));
        deadline.setSingleShot(true);
        deadline.start(RemoteServer::HeadTimeoutMs);
    }
    const QByteArray host;
    QTimer deadline{this};
    bool answered = false;
    std::vector<QMetaObject::Connection> connections;

    // Found by name: the class has no meta-object of its own to be found by type.
    static PendingRequest* of(QTcpSocket* socket) {
        return static_cast<PendingRequest*>(socket->findChild<QObject*>(
            QStringLiteral("orvane-pending-request"), Qt::FindDirectChildrenOnly));
    }
};

void RemoteServer::acceptConnections() {
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        std::erase_if(m_requests, [](const QPointer<QTcpSocket>& s) { return s.isNull(); });
        const QByteArray host = hostKey(socket->peerAddress());
        int refusal = 0;
        QByteArray why;
        if (openConnections() >= MaxConnections) {
            refusal = 503;
            why = "Too many screens are watching.\n";
        } else if (requestsFrom(host) >= MaxRequestsPerHost && !dropAnsweredFrom(host)) {
            refusal = 429;
            why = "Too many requests from one address at once.\n";
        }
        // Refused at once, and closed as soon as the answer is handed to the network: a
        // stream of refused connections holds nothing.
        if (refusal != 0) {
            // Over TLS no answer can go before a handshake: the connection is just closed.
            if (!m_tls) {
                socket->write(response(refusal, "text/plain", why, "Retry-After: 10\r\n"));
                socket->flush();
                discardWaiting(socket);
            }
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* pending = new PendingRequest(socket, host);
        m_requests.emplace_back(socket);
        pending->connections = {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater),
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHead(socket); }),
            connect(&pending->deadline, &QTimer::timeout, this,
                    [this, socket, pending] {
                        if (pending->answered)
                            socket->abort();
                        else
                            answer(socket, 408, "text/plain", "The request took too long.\n");
                    }),
        };
        // Beyond a head's and a pairing's worth, the socket stops taking data from the
        // network: a head that does not end by then is refused whole.
        socket->setReadBufferSize(MaxHeadBytes + MaxBodyBytes + 1);
        if (socket->bytesAvailable() > 0)
            readHead(socket);
    }
}

int RemoteServer::requestsFrom(const QByteArray& host) const {
    return int(std::count_if(m_requests.begin(), m_requests.end(), [&](const auto& s) {
        const PendingRequest* pending = s ? PendingRequest::of(s) : nullptr;
        return pending && pending->host == host;
    }));
}

// A connection already answered waits only for its client to close it; when its host wants
// another, the oldest such goes instead, so one host holds at most its 8 whatever they do.
bool RemoteServer::dropAnsweredFrom(const QByteArray& host) {
    const auto it = std::find_if(m_requests.begin(), m_requests.end(), [&](const auto& s) {
        const PendingRequest* pending = s ? PendingRequest::of(s) : nullptr;
        return pending && pending->host == host && pending->answered;
    });
    if (it == m_requests.end())
        return false;
    QTcpSocket* socket = *it;
    m_requests.erase(it);
    socket->abort();
    return true;
}

void RemoteServer::readHead(QTcpSocket* socket) {
    auto* pending = PendingRequest::of(socket);
    if (!pending)
        return;
    // Once answered, whatever the client still sends is read and thrown away, so that it
    // reads the answer instead of a reset.
    if (pending->answered) {
        socket->readAll();
        return;
    }
    // The head is only looked at here, so that what follows a WebSocket handshake stays to
    // be read as frames.
    const QByteArray received = socket->peek(MaxHeadBytes + MaxBodyBytes + 1);
    if (hasBareLineEnd(received)) {
        answer(socket, 400, "text/plain", "The lines of a request end in CR LF.\n");
        return;
    }
    const qsizetype end = endOfHead(received);
    if (end < 0 && received.size() <= MaxHeadBytes)
        return;
    if (end < 0 || end > MaxHeadBytes) {
        answer(socket, 431, "text/plain", "The request head is larger than 8 KiB.\n");
        return;
    }
    const HttpHead head = parseHttpHead(received.left(end));
    if (head.status != 0) {
        answer(socket, head.status, "text/plain", "The request is malformed.\n");
        return;
    }
    switch (judgeHost(head.field("host").toStdString(), m_names)) {
    case HostVerdict::Answered:
        break;
    case HostVerdict::Malformed:
        answer(socket, 400, "text/plain", "The Host field is malformed.\n");
        return;
    case HostVerdict::Misdirected:
        answer(socket, 421, "text/plain",
               "This computer does not serve that name; run the program with --serve-name "
               "NAME to serve it.\n");
        return;
    }
    // Only a pairing sends a body, small, with its length given first.
    QByteArray body;
    if (head.method == "POST") {
        const QByteArray length = head.field("content-length");
        const bool digits =
            !length.isEmpty() && length.size() <= 5 &&
            std::all_of(length.begin(), length.end(), [](char c) { return c >= '0' && c <= '9'; });
        if (!digits || !head.field("transfer-encoding").isEmpty()) {
            answer(socket, 400, "text/plain", "A request's body is sent with its length.\n");
            return;
        }
        if (length.toLongLong() > MaxBodyBytes) {
            answer(socket, 413, "text/plain", "A request's body is at most 1 KiB here.\n");
            return;
        }
        if (received.size() < end + length.toLongLong())
            return;
        body = received.mid(end, length.toLongLong());
    }
    answerRequest(socket, head, end, body);
}

void RemoteServer::handshake(QTcpSocket* socket, const HttpHead& head, qsizetype headSize,
                             const std::string& device) {
    const QByteArray key = head.field("sec-websocket-key");
    const auto decoded =
        QByteArray::fromBase64Encoding(key, QByteArray::AbortOnBase64DecodingErrors);
    const QByteArray origin = head.field("origin");
    if (!head.fieldHasToken("upgrade", "websocket") || !head.fieldHasToken("connection", "upgrade"))
        answer(socket, 400, "text/plain", head.path + " speaks WebSocket only.\n");
    else if (head.version != "HTTP/1.1")
        answer(socket, 400, "text/plain", "A WebSocket is opened over HTTP/1.1.\n");
    else if (!decoded || decoded.decoded.size() != 16)
        answer(socket, 400, "text/plain", "Sec-WebSocket-Key is not 16 bytes in base64.\n");
    else if (head.field("sec-websocket-version") != "13")
        answer(socket, 426, "text/plain", "This server speaks WebSocket version 13.\n",
               "Sec-WebSocket-Version: 13\r\n");
    // A program sends no Origin; a browser sends the site of the page that opens the
    // WebSocket, and only this server's own page may.
    else if (!origin.isEmpty() &&
             !originMatchesHost(origin.toStdString(), head.field("host").toStdString()))
        answer(socket, 403, "text/plain", "Only this server's own page may open /ws.\n");
    else {
        auto* pending = PendingRequest::of(socket);
        for (const QMetaObject::Connection& c : pending->connections)
            disconnect(c);
        delete pending;
        std::erase(m_requests, socket);
        socket->read(headSize);
        const QByteArray accept =
            QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11",
                                     QCryptographicHash::Sha1)
                .toBase64();
        socket->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n"
                      "Connection: Upgrade\r\nSec-WebSocket-Accept: " +
                      accept + "\r\n\r\n");
        addClient(new ScreenSocket(socket, *m_poller, this), device);
    }
}

QByteArray RemoteServer::page(const QString& name) {
    const auto read = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QByteArray html = read(":/remote/" + name);
    if (html.isEmpty())
        return "page missing";
    return html.replace("<script src=\"clock.js\"></script>",
                        "<script>\n" + read(QStringLiteral(":/remote/clock.js")) + "</script>");
}

void RemoteServer::answer(QTcpSocket* socket, int status, const QByteArray& type,
                          const QByteArray& body, const QByteArray& extra) {
    auto* pending = PendingRequest::of(socket);
    if (!pending || pending->answered)
        return;
    pending->answered = true;
    // Whatever the client does next, the connection is gone within the deadline.
    pending->deadline.start(HeadTimeoutMs);
    socket->readAll();
    socket->write(response(status, type, body, extra));
    // Over TLS the socket says goodbye itself (close_notify) once the answer is out: what it
    // still holds unencrypted is not known to the kernel's end of the connection.
    // A connection whose handshake never ended can be told nothing: it is closed.
    if (auto* tls = qobject_cast<QSslSocket*>(socket)) {
        if (tls->isEncrypted())
            tls->disconnectFromHost();
        else
            tls->abort();
        return;
    }
    // Once the answer is out, the program says it has no more to say and waits for the
    // client to close, reading what it still sends.
    const auto finish = [socket] {
        if (socket->bytesToWrite() == 0)
            ::shutdown(int(socket->socketDescriptor()), SHUT_WR);
    };
    pending->connections.push_back(connect(socket, &QTcpSocket::bytesWritten, pending, finish));
    socket->flush();
    finish();
}

} // namespace orvane
