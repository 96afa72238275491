#pragma once

// Serves the count to browsers on the program's own event loop: a small HTTP server on a
// QTcpServer that guards every connection (request head at most 8 KiB, answered within 5 s,
// at most 64 connections open, at most 8 of one host still making their request) and
// answers the WebSocket handshakes of /ws itself, handing each screen to a ScreenSocket.
// Requests that name another site in their Host field, and WebSockets opened by a page of
// another site, are refused. Nothing a client sends can change the program: the page,
// /state.json and the WebSocket only read.

#include "remote/remote_state.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QTcpServer;

namespace orvane {

class App;
struct HttpHead;
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

    explicit RemoteServer(App& app, QObject* parent = nullptr);
    ~RemoteServer() override;

    // Starts listening; empty on success, else the reason. Stops serving elsewhere first.
    QString listen(const QHostAddress& address, quint16 port);
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

  private:
    struct Client;

    void acceptConnections();
    int requestsFrom(const QByteArray& host) const;
    bool dropAnsweredFrom(const QByteArray& host);
    void readHead(QTcpSocket* socket);
    void answerRequest(QTcpSocket* socket, const HttpHead& head, qsizetype headSize);
    void handshake(QTcpSocket* socket, const HttpHead& head, qsizetype headSize);
    void answer(QTcpSocket* socket, int status, const QByteArray& type, const QByteArray& body,
                const QByteArray& extra = {});
    void addClient(ScreenSocket* ws);
    void dropClient(ScreenSocket* ws);
    void checkState();
    void pingClients();
    QByteArray stateJson(const RemoteState& state) const;

    App& m_app;
    QTcpServer* m_tcp;
    std::vector<QPointer<QTcpSocket>> m_requests; // connections still speaking HTTP
    std::unique_ptr<ScreenPoller> m_poller; // the screens' connections, one descriptor for all
    std::vector<std::unique_ptr<Client>> m_clients;
    std::vector<std::string> m_names;
    QTimer m_check;
    QTimer m_ping;
    int m_pongTimeoutMs;
    RemoteState m_sent;
    // The clock's lead over a steady clock when the state went out: a step of the computer's
    // clock (a simulated mission time) changes it, and the pages must measure their offset
    // again.
    std::int64_t m_clockLead = 0;
    QElapsedTimer m_steady;
    std::int64_t m_sentAtMs = 0;
};

} // namespace orvane
