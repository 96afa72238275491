#pragma once

// Serves the count to browsers on the program's own event loop: a small HTTP server on a
// QTcpServer that guards every connection (request head at most 8 KiB, answered within 5 s,
// at most 64 connections open, at most 8 of one host still making their request) and
// answers the WebSocket handshakes of /ws itself, handing each screen to a ScreenSocket.
// Requests that name another site in their Host field, and WebSockets opened by a page of
// another site, are refused. The page, /state.json and /ws only read: only a device paired
// through /control (remote_control_server.cpp), with its token in a cookie, may give the hold
// commands over /control/socket, and only while the user lets paired devices control.

#include "remote/remote_state.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

class App;
struct HttpHead;
class Pairing;

// Over TLS, each connection is a QSslSocket from the moment it is accepted: the server counts
// it and its deadline runs from there, so a handshake that never ends is bounded as a head
// that never ends is.
class RemoteTcpServer : public QTcpServer {
  public:
    using QTcpServer::QTcpServer;
    std::optional<QSslConfiguration> tls;

  protected:
    void incomingConnection(qintptr descriptor) override;
};
class ScreenPoller;
class ScreenSocket;

class RemoteServer : public QObject {
  public:
    static constexpr qsizetype MaxHeadBytes = 8 * 1024;
    static constexpr int HeadTimeoutMs = 5000;
    static constexpr int MaxConnections = 64;
    // Connections of one host (an IPv4 address, or an IPv6 network of 64 bits) that have not
    // become screens yet: still making their request, or answered and waiting for their
    // client to close. Screens count only against MaxConnections: a whole room behind one
    // router, or a reverse proxy, comes from one address.
    static constexpr int MaxRequestsPerHost = 8;
    // The body of a pairing request, the one request with a body.
    static constexpr qsizetype MaxBodyBytes = 1024;
    // More commands than a person gives in a second cut a device off.
    static constexpr int MaxCommandsPerSecond = 10;

    explicit RemoteServer(App& app, QObject* parent = nullptr);
    ~RemoteServer() override;

    // Starts listening; empty on success, else the reason. Stops serving elsewhere first.
    QString listen(const QHostAddress& address, quint16 port);
    // Serves over TLS from the next listen() with the certificate and key in these PEM files;
    // empty on success, else why not (and nothing is served until they are given right).
    // Empty paths serve plain HTTP again.
    QString setTls(const QString& certificateFile, const QString& keyFile);
    bool tls() const { return m_tls; }
    void close();
    bool listening() const;
    QHostAddress address() const;
    quint16 port() const;

    // WebSocket clients connected now, and every connection open (pages loading among them).
    int watchers() const { return int(m_clients.size()); }
    int openConnections() const;

    // Names besides IP addresses, localhost and this computer's own that a request may give
    // as its Host (--serve-name).
    void setServeNames(const std::vector<std::string>& names);

    // Something in the windows changed: the state is compared once the current event is done.
    void stateMayHaveChanged();

    // The devices that may pair and command; none: /control answers that none may.
    void setPairing(Pairing* pairing) { m_pairing = pairing; }
    // The choice to let devices control changed: the connected ones hear it.
    void tellDevices();
    // Ends the connections of the device whose token hashes to TOKENHASH.
    void dropDevice(const std::string& tokenHash);
    // The cookie that holds a device's token, named for the port so that two copies of the
    // program on one computer keep theirs apart.
    QByteArray cookieName() const;

  private:
    struct Client {
        ScreenSocket* ws = nullptr;
        std::string device;           // a paired device's token hash; empty for a screen
        std::vector<qint64> commands; // when its last commands came, on the steady clock
    };

    void acceptConnections();
    int requestsFrom(const QByteArray& host) const;
    bool dropAnsweredFrom(const QByteArray& host);
    void readHead(QTcpSocket* socket);
    void answerRequest(QTcpSocket* socket, const HttpHead& head, qsizetype headSize,
                       const QByteArray& body);
    void handshake(QTcpSocket* socket, const HttpHead& head, qsizetype headSize,
                   const std::string& device = {});
    // remote_control_server.cpp
    void answerControl(QTcpSocket* socket, const HttpHead& head, qsizetype headSize,
                       const QByteArray& body);
    void pairDevice(QTcpSocket* socket, const HttpHead& head, const QByteArray& body);
    // The paired device the request's cookie names, or empty.
    std::string deviceOf(const HttpHead& head) const;
    // What a device hears of its control: whether it may, and the arming and muting that its
    // commands depend on; DEVICE names it.
    QByteArray controlJson(const std::string& device = {}) const;
    void heardCommand(Client& client, QByteArrayView message);
    void answer(QTcpSocket* socket, int status, const QByteArray& type, const QByteArray& body,
                const QByteArray& extra = {});
    // A page compiled into the program (:/remote/NAME), the clock's script written in where
    // its tag stands.
    static QByteArray page(const QString& name);
    void addClient(ScreenSocket* ws, const std::string& device);
    void dropClient(ScreenSocket* ws);
    void checkState();
    void pingClients();
    QByteArray stateJson(const RemoteState& state) const;

    App& m_app;
    Pairing* m_pairing = nullptr;
    bool m_tls = false; // served over TLS: the token's cookie is sent only over it
    RemoteTcpServer* m_tcp;
    std::vector<QPointer<QTcpSocket>> m_requests; // connections still speaking HTTP
    std::unique_ptr<ScreenPoller> m_poller; // the screens' connections, one descriptor for all
    std::vector<std::unique_ptr<Client>> m_clients;
    std::vector<std::string> m_names;
    QTimer m_check;
    QTimer m_ping;
    int m_pongTimeoutMs;
    RemoteState m_sent;
    QByteArray m_sentControl;
    // The clock's lead over a steady clock when the state went out: a step of the computer's
    // clock (a simulated mission time) changes it, and the pages must measure their offset
    // again.
    std::int64_t m_clockLead = 0;
    QElapsedTimer m_steady;
    std::int64_t m_sentAtMs = 0;
};

} // namespace orvane
