#include "qt/remote/remote_server.h"

#include "qt/remote/http_head.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>

namespace orvane {

namespace {

// A client that stops reading is dropped once this much waits to be sent to it, or once it
// has not answered the pings for this long.
constexpr qint64 MaxQueuedBytes = 64 * 1024;
constexpr qint64 PongTimeoutMs = 45'000;
constexpr int PingIntervalMs = 15'000;

QByteArray reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    default:
        return "Error";
    }
}

// The computer's clock, to the millisecond; the state adds the program's own offset, if any.
std::int64_t nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

QByteArray loadPage() {
    QFile page(QStringLiteral(":/remote/page.html"));
    return page.open(QIODevice::ReadOnly) ? page.readAll() : QByteArray("page missing");
}

} // namespace

// What the front knows of a connection still speaking HTTP: its deadline, and whether it has
// been answered. It lives on the socket and goes when the socket is handed to the WebSocket
// server.
class PendingRequest : public QObject {
  public:
    explicit PendingRequest(QTcpSocket* socket) : QObject(socket) {
        setObjectName(QStringLiteral("orvane-pending-request"));
        deadline.setSingleShot(true);
        deadline.start(RemoteServer::HeadTimeoutMs);
    }
    QTimer deadline{this};
    bool answered = false;
    std::vector<QMetaObject::Connection> connections;

    // Found by name: the class has no meta-object of its own to be found by type.
    static PendingRequest* of(QTcpSocket* socket) {
        return static_cast<PendingRequest*>(socket->findChild<QObject*>(
            QStringLiteral("orvane-pending-request"), Qt::FindDirectChildrenOnly));
    }
};

struct RemoteServer::Client {
    QWebSocket* ws = nullptr;
    qint64 queued = 0;
    qint64 lastPongMs = 0;
};

RemoteServer::RemoteServer(App& app, QObject* parent)
    : QObject(parent), m_app(app), m_tcp(new QTcpServer(this)),
      m_ws(new QWebSocketServer(QStringLiteral("Orvane"), QWebSocketServer::NonSecureMode, this)) {
    m_steady.start();
    m_ws->setHandshakeTimeout(HeadTimeoutMs);
    connect(m_tcp, &QTcpServer::newConnection, this, &RemoteServer::acceptConnections);
    connect(m_ws, &QWebSocketServer::newConnection, this, [this] {
        while (m_ws->hasPendingConnections())
            addClient(m_ws->nextPendingConnection());
    });
    m_check.setSingleShot(true);
    m_check.setInterval(0);
    connect(&m_check, &QTimer::timeout, this, &RemoteServer::checkState);
    m_ping.setInterval(PingIntervalMs);
    connect(&m_ping, &QTimer::timeout, this, &RemoteServer::pingClients);
}

RemoteServer::~RemoteServer() {
    close();
}

QString RemoteServer::listen(const QHostAddress& address, quint16 port) {
    close();
    if (!m_tcp->listen(address, port))
        return m_tcp->errorString();
    m_ping.start();
    return {};
}

void RemoteServer::close() {
    m_tcp->close();
    m_ping.stop();
    while (!m_clients.empty())
        dropClient(m_clients.back()->ws);
}

bool RemoteServer::listening() const {
    return m_tcp->isListening();
}
QHostAddress RemoteServer::address() const {
    return m_tcp->serverAddress();
}
quint16 RemoteServer::port() const {
    return m_tcp->serverPort();
}

void RemoteServer::stateMayHaveChanged() {
    if (!m_clients.empty() && !m_check.isActive())
        m_check.start();
}

void RemoteServer::acceptConnections() {
    sweepUpgrades();
    while (QTcpSocket* socket = m_tcp->nextPendingConnection()) {
        const bool full = openConnections() >= MaxConnections;
        auto* pending = new PendingRequest(socket);
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
        // Refused at once, the connection is gone as soon as the client has read why.
        if (full) {
            answer(socket, 503, "text/plain", "Too many screens are watching.\n",
                   "Retry-After: 10\r\n");
            continue;
        }
        ++m_open;
        pending->connections.push_back(
            connect(socket, &QObject::destroyed, this, [this] { --m_open; }));
        // Beyond a head's worth, the socket stops taking data from the network: a head that
        // does not end by then is refused whole.
        socket->setReadBufferSize(MaxHeadBytes + 1);
        if (socket->bytesAvailable() > 0)
            readHead(socket);
    }
}

int RemoteServer::openConnections() const {
    const auto upgrading = std::count_if(m_upgrading.begin(), m_upgrading.end(),
                                         [](const Upgrade& u) { return !u.socket.isNull(); });
    return m_open + int(upgrading) + int(m_clients.size());
}

void RemoteServer::readHead(QTcpSocket* socket) {
    auto* pending = PendingRequest::of(socket);
    if (!pending || pending->answered)
        return;
    // The head is only looked at here, so that a WebSocket upgrade reaches its server whole.
    const QByteArray received = socket->peek(MaxHeadBytes + 1);
    const qsizetype end = endOfHead(received);
    if (end < 0 && received.size() <= MaxHeadBytes)
        return;
    if (end < 0 || end > MaxHeadBytes) {
        answer(socket, 431, "text/plain", "The request head is larger than 8 KiB.\n");
        return;
    }
    const HttpHead head = parseHttpHead(received.left(end));
    if (head.status == 0 && head.method == "GET" && head.path == "/ws" &&
        head.fieldHasToken("upgrade", "websocket") && head.fieldHasToken("connection", "upgrade")) {
        upgrade(socket);
        return;
    }
    socket->readAll();
    if (head.status != 0)
        answer(socket, head.status, "text/plain", "The request is malformed.\n");
    else if (head.method != "GET")
        answer(socket, 405, "text/plain", "Only GET is served here.\n", "Allow: GET\r\n");
    else if (head.path == "/") {
        static const QByteArray page = loadPage();
        answer(socket, 200, "text/html; charset=utf-8", page);
    } else if (head.path == "/state.json")
        answer(socket, 200, "application/json", stateJson(readRemoteState(m_app, nowMs())) + "\n");
    else if (head.path == "/ws")
        answer(socket, 400, "text/plain", "/ws speaks WebSocket only.\n");
    else
        answer(socket, 404, "text/plain", "Nothing here.\n");
}

void RemoteServer::answer(QTcpSocket* socket, int status, const QByteArray& type,
                          const QByteArray& body, const QByteArray& extra) {
    auto* pending = PendingRequest::of(socket);
    if (pending) {
        if (pending->answered)
            return;
        pending->answered = true;
        // Whatever the client does next, the connection is gone within the deadline.
        pending->deadline.start(HeadTimeoutMs);
    }
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) +
                          "\r\nContent-Type: " + type +
                          "\r\nContent-Length: " + QByteArray::number(body.size()) +
                          "\r\nCache-Control: no-store\r\nConnection: close\r\n"
                          "X-Content-Type-Options: nosniff\r\n" +
                          extra;
    if (status == 200 && type.startsWith("text/html"))
        response += "Content-Security-Policy: default-src 'none'; style-src 'unsafe-inline'; "
                    "script-src 'unsafe-inline'; connect-src 'self'\r\n";
    socket->write(response + "\r\n" + body);
    socket->disconnectFromHost();
}

void RemoteServer::upgrade(QTcpSocket* socket) {
    auto* pending = PendingRequest::of(socket);
    for (const QMetaObject::Connection& c : pending->connections)
        disconnect(c);
    delete pending;
    --m_open;
    // The WebSocket server takes the socket over, with its own handshake deadline; it is
    // counted among the upgrading ones until it becomes a client or is gone.
    m_upgrading.push_back({socket, m_steady.elapsed()});
    m_ws->handleConnection(socket);
}

// One whose handshake never completed goes after the deadline.
void RemoteServer::sweepUpgrades() {
    const qint64 now = m_steady.elapsed();
    std::erase_if(m_upgrading, [now](const Upgrade& u) {
        if (!u.socket)
            return true;
        if (now - u.sinceMs <= HeadTimeoutMs + 1000)
            return false;
        u.socket->abort();
        u.socket->deleteLater();
        return true;
    });
}

QTcpSocket* RemoteServer::takeUpgraded(const QWebSocket& ws) {
    for (auto it = m_upgrading.begin(); it != m_upgrading.end(); ++it)
        if (it->socket && it->socket->peerPort() == ws.peerPort() &&
            it->socket->peerAddress() == ws.peerAddress()) {
            QTcpSocket* socket = it->socket;
            m_upgrading.erase(it);
            return socket;
        }
    return nullptr;
}

void RemoteServer::addClient(QWebSocket* ws) {
    // The connection goes with the WebSocket.
    if (QTcpSocket* socket = takeUpgraded(*ws))
        socket->setParent(ws);
    ws->setMaxAllowedIncomingFrameSize(1024);
    ws->setMaxAllowedIncomingMessageSize(1024);
    const bool first = m_clients.empty();
    auto client = std::make_unique<Client>();
    client->ws = ws;
    client->lastPongMs = m_steady.elapsed();
    Client* c = client.get();
    m_clients.push_back(std::move(client));
    connect(ws, &QWebSocket::disconnected, this, [this, ws] { dropClient(ws); });
    connect(ws, &QWebSocket::pong, this, [this, c] { c->lastPongMs = m_steady.elapsed(); });
    connect(ws, &QWebSocket::bytesWritten, this,
            [c](qint64 n) { c->queued = std::max<qint64>(0, c->queued - n); });

    const RemoteState state = readRemoteState(m_app, nowMs());
    const std::int64_t now = state.serverTimeMs;
    if (first) {
        m_sent = state;
        m_sentAtMs = now;
        m_clockLead = now - m_steady.elapsed();
    }
    sendTo(*c, stateJson(state));
}

void RemoteServer::dropClient(QWebSocket* ws) {
    auto it = std::find_if(m_clients.begin(), m_clients.end(),
                           [ws](const auto& c) { return c->ws == ws; });
    if (it == m_clients.end())
        return;
    m_clients.erase(it);
    ws->disconnect(this);
    ws->abort();
    ws->deleteLater();
}

void RemoteServer::sendTo(Client& client, const QByteArray& text) {
    if (client.queued > MaxQueuedBytes) {
        QWebSocket* ws = client.ws;
        QTimer::singleShot(0, this, [this, ws] { dropClient(ws); });
        return;
    }
    client.queued += client.ws->sendTextMessage(QString::fromUtf8(text));
}

void RemoteServer::checkState() {
    if (m_clients.empty())
        return;
    const RemoteState state = readRemoteState(m_app, nowMs());
    const std::int64_t now = state.serverTimeMs;
    const std::int64_t lead = now - m_steady.elapsed();
    if (!resendDue({m_sentAtMs, m_clockLead}, {now, lead}, remoteStateChanged(m_sent, state)))
        return;
    const QByteArray text = stateJson(state);
    for (const auto& client : m_clients)
        sendTo(*client, text);
    m_sent = state;
    m_sentAtMs = now;
    m_clockLead = lead;
}

void RemoteServer::pingClients() {
    sweepUpgrades();
    const qint64 now = m_steady.elapsed();
    std::vector<QWebSocket*> silent;
    for (const auto& c : m_clients) {
        if (now - c->lastPongMs > PongTimeoutMs || c->queued > MaxQueuedBytes)
            silent.push_back(c->ws);
        else
            c->ws->ping();
    }
    for (QWebSocket* ws : silent)
        dropClient(ws);
}

// Written by hand so that the fields keep the documented order.
QByteArray RemoteServer::stateJson(const RemoteState& s) const {
    const auto text = [](const std::string& t) {
        const QByteArray array =
            QJsonDocument(QJsonArray{QString::fromStdString(t)}).toJson(QJsonDocument::Compact);
        return array.mid(1, array.size() - 2);
    };
    const auto number = [](std::int64_t n) { return QByteArray::number(qint64(n)); };
    const auto sign = [](char c) { return QByteArray("\"") + c + '"'; };
    QByteArray events;
    for (const RemoteEvent& e : s.events) {
        if (!events.isEmpty())
            events += ',';
        events += "{\"number\":" + number(e.number) + ",\"name\":" + text(e.name) +
                  ",\"sign\":" + sign(e.sign) + ",\"offset_s\":" + number(e.offsetSeconds) +
                  ",\"moment_ms\":" + number(e.momentMs) + ",\"text\":" + text(e.text) + '}';
    }
    return "{\"server_time_ms\":" + number(s.serverTimeMs) +
           ",\"launch_time_ms\":" + number(s.launchTimeMs) +
           ",\"holding\":" + (s.holding ? "true" : "false") +
           ",\"count\":{\"sign\":" + sign(s.count.sign) + ",\"days\":" + number(s.count.days) +
           ",\"hours\":" + number(s.count.hours) + ",\"minutes\":" + number(s.count.minutes) +
           ",\"seconds\":" + number(s.count.seconds) +
           "},\"launch_window\":{\"active\":" + (s.windowActive ? "true" : "false") +
           ",\"text\":" + text(s.windowText) + "},\"events\":[" + events + "]}";
}

} // namespace orvane
