#include "qt/remote/remote_server.h"

#include "qt/remote/http_head.h"
#include "qt/remote/screen_socket.h"
#include "remote/remote_access.h"

#include <QDateTime>
#include <QFile>
#include <QHostInfo>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <algorithm>
#include <optional>

namespace orvane {

namespace {

// Each screen is pinged this often, and dropped when it has not answered for three times as
// long. Every answer wakes the program, so a room of screens costs a wake-up per screen per
// interval: half a minute keeps a room of 50 under two a second and still drops a screen
// that went away within a minute and a half. ORVANE_REMOTE_PING_MS shortens it for the tests.
constexpr int PingIntervalMs = 30'000;

int pingInterval() {
    const int ms = qEnvironmentVariableIntValue("ORVANE_REMOTE_PING_MS");
    return ms > 0 ? ms : PingIntervalMs;
}

// The computer's clock, to the millisecond; the state adds the program's own offset, if any.
std::int64_t nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}

} // namespace

void RemoteTcpServer::incomingConnection(qintptr descriptor) {
    if (!tls)
        return QTcpServer::incomingConnection(descriptor);
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    socket->setSslConfiguration(*tls);
    socket->startServerEncryption();
    addPendingConnection(socket);
}

RemoteServer::RemoteServer(App& app, QObject* parent)
    : QObject(parent), m_app(app), m_tcp(new RemoteTcpServer(this)),
      m_poller(std::make_unique<ScreenPoller>()),
      m_names(servedNames(QHostInfo::localHostName().toStdString(), {})) {
    m_steady.start();
    connect(m_tcp, &QTcpServer::newConnection, this, &RemoteServer::acceptConnections);
    m_check.setSingleShot(true);
    m_check.setInterval(0);
    connect(&m_check, &QTimer::timeout, this, &RemoteServer::checkState);
    m_ping.setInterval(pingInterval());
    m_pongTimeoutMs = 3 * m_ping.interval();
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

QString RemoteServer::setTls(const QString& certificateFile, const QString& keyFile) {
    m_tls = false;
    m_tcp->tls.reset();
    if (certificateFile.isEmpty() && keyFile.isEmpty())
        return {};
    // Read whole and bounded, as every file the program reads.
    const auto read = [](const QString& path, QByteArray& into) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024)
            return false;
        into = file.readAll();
        return true;
    };
    QByteArray certText, keyText;
    if (!read(certificateFile, certText))
        return QStringLiteral("the certificate %1 cannot be read").arg(certificateFile);
    if (!read(keyFile, keyText))
        return QStringLiteral("the key %1 cannot be read").arg(keyFile);
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certText, QSsl::Pem);
    if (chain.isEmpty())
        return QStringLiteral("%1 holds no PEM certificate").arg(certificateFile);
    QSslKey key;
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa})
        if (key = QSslKey(keyText, algorithm, QSsl::Pem); !key.isNull())
            break;
    if (key.isNull())
        return QStringLiteral("%1 holds no PEM private key without a passphrase").arg(keyFile);
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificateChain(chain);
    config.setPrivateKey(key);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    config.setProtocol(QSsl::TlsV1_2OrLater);
    m_tcp->tls = config;
    m_tls = true;
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

void RemoteServer::setServeNames(const std::vector<std::string>& names) {
    m_names = servedNames(QHostInfo::localHostName().toStdString(), names);
}

void RemoteServer::stateMayHaveChanged() {
    if (!m_clients.empty() && !m_check.isActive())
        m_check.start();
}

int RemoteServer::openConnections() const {
    const auto requests = std::count_if(m_requests.begin(), m_requests.end(),
                                        [](const QPointer<QTcpSocket>& s) { return !s.isNull(); });
    return int(requests) + int(m_clients.size());
}

void RemoteServer::answerRequest(QTcpSocket* socket, const HttpHead& head, qsizetype headSize,
                                 const QByteArray& body) {
    if (head.path == "/control" || head.path.startsWith("/control/"))
        answerControl(socket, head, headSize, body);
    else if (head.method != "GET")
        answer(socket, 405, "text/plain", "Only GET is served here.\n", "Allow: GET\r\n");
    else if (head.path == "/ws")
        handshake(socket, head, headSize);
    else if (head.path == "/") {
        static const QByteArray html = page(QStringLiteral("page.html"));
        answer(socket, 200, "text/html; charset=utf-8", html);
    } else if (head.path == "/overlay") {
        static const QByteArray html = page(QStringLiteral("overlay.html"));
        answer(socket, 200, "text/html; charset=utf-8", html);
    } else if (head.path == "/state.json")
        answer(socket, 200, "application/json", stateJson(readRemoteState(m_app, nowMs())) + "\n");
    else
        answer(socket, 404, "text/plain", "Nothing here.\n");
}

void RemoteServer::addClient(ScreenSocket* ws, const std::string& device) {
    ws->onGone = [this, ws] { dropClient(ws); };
    const bool first = m_clients.empty();
    auto client = std::make_unique<Client>();
    client->ws = ws;
    client->device = device;
    Client* c = client.get();
    if (!device.empty())
        ws->onMessage = [this, c](QByteArrayView message) { heardCommand(*c, message); };
    m_clients.push_back(std::move(client));

    const RemoteState state = readRemoteState(m_app, nowMs());
    const std::int64_t now = state.serverTimeMs;
    if (first) {
        m_sent = state;
        m_sentAtMs = now;
        m_clockLead = now - m_steady.elapsed();
    }
    c->ws->sendText(stateJson(state));
    if (!device.empty()) {
        c->ws->sendText(controlJson(device));
        m_sentControl = controlJson();
    }
}

void RemoteServer::dropClient(ScreenSocket* ws) {
    auto it = std::find_if(m_clients.begin(), m_clients.end(),
                           [ws](const auto& c) { return c->ws == ws; });
    if (it == m_clients.end())
        return;
    m_clients.erase(it);
    ws->drop();
}

void RemoteServer::checkState() {
    if (m_clients.empty())
        return;
    // The rows' texts are read only for a state that goes out.
    RemoteState state = readRemoteState(m_app, nowMs(), EventTexts::Left);
    const std::int64_t now = state.serverTimeMs;
    const std::int64_t lead = now - m_steady.elapsed();
    // The devices hear when what their commands depend on changed (holds armed, callouts
    // muted), whoever changed it; with none connected, nothing is worked out.
    const bool devices = std::any_of(m_clients.begin(), m_clients.end(),
                                     [](const auto& c) { return !c->device.empty(); });
    if (const QByteArray control = devices ? controlJson() : m_sentControl;
        control != m_sentControl) {
        m_sentControl = control;
        tellDevices();
    }
    if (!resendDue({m_sentAtMs, m_clockLead}, {now, lead}, remoteStateChanged(m_sent, state)))
        return;
    readEventTexts(m_app, state);
    // Framed once: every screen is sent the same bytes.
    const QByteArray frame = ScreenSocket::textFrame(stateJson(state));
    for (const auto& client : m_clients)
        client->ws->sendFrame(frame);
    m_sent = state;
    m_sentAtMs = now;
    m_clockLead = lead;
}

void RemoteServer::pingClients() {
    std::vector<ScreenSocket*> silent;
    for (const auto& c : m_clients) {
        if (c->ws->msSinceAnswer() > m_pongTimeoutMs)
            silent.push_back(c->ws);
        else
            c->ws->ping();
    }
    for (ScreenSocket* ws : silent)
        dropClient(ws);
}

QByteArray RemoteServer::stateJson(const RemoteState& s) const {
    return QByteArray::fromStdString(remoteStateJson(s));
}

} // namespace orvane
