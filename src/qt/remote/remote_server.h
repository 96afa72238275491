#pragma once

// Serves the count to browsers on the program's own event loop: a small HTTP front on a
// QTcpServer that guards every connection (request head at most 8 KiB, complete within 5 s,
// at most 64 connections open) and hands the WebSocket upgrades of /ws to a
// QWebSocketServer. Nothing a client sends can change the program: the page, /state.json and
// the WebSocket only read.

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
#include <vector>

class QTcpServer;
class QWebSocket;
class QWebSocketServer;

namespace orvane {

class App;

class RemoteServer : public QObject {
  public:
    static constexpr qsizetype MaxHeadBytes = 8 * 1024;
    static constexpr int HeadTimeoutMs = 5000;
    static constexpr int MaxConnections = 64;

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

    // Something in the windows changed: the state is compared once the current event is done.
    void stateMayHaveChanged();

  private:
    struct Client;

    void acceptConnections();
    void readHead(QTcpSocket* socket);
    void answer(QTcpSocket* socket, int status, const QByteArray& type, const QByteArray& body,
                const QByteArray& extra = {});
    void upgrade(QTcpSocket* socket);
    void sweepUpgrades();
    QTcpSocket* takeUpgraded(const QWebSocket& ws);
    void addClient(QWebSocket* ws);
    void dropClient(QWebSocket* ws);
    void sendTo(Client& client, const QByteArray& text);
    void checkState();
    void pingClients();
    QByteArray stateJson(const RemoteState& state) const;

    App& m_app;
    QTcpServer* m_tcp;
    QWebSocketServer* m_ws;
    struct Upgrade {
        QPointer<QTcpSocket> socket;
        qint64 sinceMs = 0;
    };
    std::vector<Upgrade> m_upgrading;
    std::vector<std::unique_ptr<Client>> m_clients;
    int m_open = 0; // connections still speaking HTTP
    QTimer m_check;
    QTimer m_ping;
    RemoteState m_sent;
    // The clock's lead over a steady clock when the state went out: a step of the computer's
    // clock (a simulated mission time) changes it, and the pages must measure their offset
    // again.
    std::int64_t m_clockLead = 0;
    QElapsedTimer m_steady;
    std::int64_t m_sentAtMs = 0;
};

} // namespace orvane
