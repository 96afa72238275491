#pragma once

// Sets the computer's clock through systemd-timedated over D-Bus, never directly: timedated
// asks polkit, which may ask a person, so the call is asynchronous and the program keeps
// running while it waits.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QDBusConnection;
class QDBusMessage;

namespace orvane {

// The bus systemd-timedated is found on: the system bus, or a private one given by its
// address (tests). It is opened when first needed, on a thread of its own: a bus slow to
// answer never holds up the user-interface thread.
class TimedatedBus {
  public:
    // A connection to a private bus is named NAME and a number of its own, so that one
    // never stands in for another to a different bus, nor ends it.
    TimedatedBus(QString busAddress, const QString& name);
    ~TimedatedBus();
    TimedatedBus(const TimedatedBus&) = delete;
    TimedatedBus& operator=(const TimedatedBus&) = delete;

    // Runs THEN on the user-interface thread with the connection, at once when it is open,
    // else once the bus has answered (connected or not). Nothing runs after the bus is gone.
    void whenConnected(std::function<void(QDBusConnection&)> then);
    // Drops the connection (one that failed, say): the next use opens it afresh.
    void forget();
    // A call of METHOD of INTERFACE on timedated's object.
    static QDBusMessage call(const QString& interface, const QString& method);
    static const char* const Service;
    static const char* const Path;
    static const char* const Interface;

  private:
    QString m_busAddress;
    QString m_name;
    std::unique_ptr<QDBusConnection> m_connection;
    // Waiting for the bus to answer; at most a few (each asker asks once at a time).
    std::vector<std::function<void(QDBusConnection&)>> m_waiting;
    bool m_connecting = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

class Timedated {
  public:
    using Answer = std::function<void(const std::string& refusal)>;

    // BUS_ADDRESS names a bus other than the system bus (a private one, for tests); the
    // answer counts as a refusal when none came within TIMEOUT_MS.
    explicit Timedated(QString busAddress = {}, int timeoutMs = 60000);
    ~Timedated();
    Timedated(const Timedated&) = delete;
    Timedated& operator=(const Timedated&) = delete;

    // Asks for the clock to be set to USEC_UTC microseconds since 1970-01-01 00:00 UTC: the
    // date and the time in one change. ANSWER gets an empty text once it is set, else the
    // service's own words; it runs later, from the event loop.
    void setTime(qint64 usecUtc, Answer answer);

    static constexpr const char* NoAnswer = "no answer from the clock service";

  private:
    void ask(QDBusConnection& bus, qint64 usecUtc, const Answer& answer);

    TimedatedBus m_bus;
    int m_timeoutMs;
    QObject m_context;
};

} // namespace orvane
