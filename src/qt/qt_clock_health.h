#pragma once

// The clock's health as this computer tells it: whether systemd-timedated counts the clock
// synchronised (its NTPSynchronized property, over D-Bus), and the kernel's largest possible
// error of the clock (adjtimex, which anyone may read). The question goes out without waiting
// for its answer, so the count never waits on the bus.

#include "services/clock_health.h"
#include "qt/qt_timedated.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace orvane {

class Scheduler;

class QtClockHealth : public ClockHealthSource {
  public:
    // How often the program asks again.
    static constexpr std::int64_t ReadEveryMs = 60'000;

    // The kernel's largest possible error of the clock in milliseconds, rounded up; none
    // when the kernel counts the clock unsynchronised itself, or cannot be asked.
    using KernelError = std::function<std::optional<std::int64_t>()>;
    static std::optional<std::int64_t> kernelMaxErrorMs();

    // SCHEDULER delivers each new reading as an event of the program's own. BUS_ADDRESS
    // names a bus other than the system bus (tests); a question not answered within
    // TIMEOUT_MS leaves the health unknown. KERNEL_ERROR reads the kernel's figure.
    explicit QtClockHealth(Scheduler& scheduler, QString busAddress = {}, int timeoutMs = 10000,
                           KernelError kernelError = kernelMaxErrorMs);
    ~QtClockHealth() override;
    QtClockHealth(const QtClockHealth&) = delete;
    QtClockHealth& operator=(const QtClockHealth&) = delete;

    ClockHealth current() const override { return m_health; }
    void onChange(std::function<void(const ClockHealth&)> listener) override;

    // Asks when READ_EVERY_MS have passed since the last question, or there was none; NOW_MS
    // is read on a clock that only runs forward. The program calls it after its rounds, so
    // asking costs no wake-up of its own.
    void readWhenDue(std::int64_t nowMs);
    // Asks now, unless a question is out already; the answer comes later, from the event loop.
    void read();
    void ask(QDBusConnection& bus);
    // Whether a question is out.
    bool reading() const { return m_reading; }

  private:
    void answered(ClockHealth::Sync sync);

    Scheduler& m_scheduler;
    TimedatedBus m_bus;
    int m_timeoutMs;
    KernelError m_kernelError;
    ClockHealth m_health;
    std::function<void(const ClockHealth&)> m_listener;
    bool m_reading = false;
    std::optional<std::int64_t> m_askedMs;
    // Owns the answers under way, so none outlives the source.
    QObject m_context;
};

} // namespace orvane
