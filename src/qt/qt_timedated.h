#pragma once

// Sets the computer's clock through systemd-timedated over D-Bus, never directly: timedated
// asks polkit, which may ask a person, so the call is asynchronous and the program keeps
// running while it waits.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QDBusConnection;

namespace orvane {

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
    // Opened when first needed: connecting starts a thread of Qt's.
    QDBusConnection& connection();

    QString m_busAddress;
    int m_timeoutMs;
    std::unique_ptr<QDBusConnection> m_connection;
    QObject m_context;
};

} // namespace orvane
