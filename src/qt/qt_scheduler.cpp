#include "qt/qt_scheduler.h"

#include "toolkit/controls.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QtGlobal>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <utility>

namespace orvane {

QtScheduler::QtScheduler(Timing timing) {
    setLiteral(timing == Timing::Literal);
    m_settle = new QTimer(&m_context);
    m_settle->setSingleShot(true);
    m_settle->setInterval(0);
    QObject::connect(m_settle, &QTimer::timeout, &m_context, [this] {
        beginEvent();
        endEvent();
    });

    // A wall-clock timer wakes exactly when the second turns, and tells when the clock is
    // set, so the rounds cost one wake-up a second and never show a stale second.
    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        qWarning("Orvane: no wall-clock timer (errno %d); the count will not advance", errno);
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &m_context,
                     [this] { secondTurned(); });
}

QtScheduler::~QtScheduler() {
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void QtScheduler::changed(Timer& t) {
    SchedulerBase::changed(t);
    updateWakeUp();
}

void QtScheduler::post(std::function<void()> task) {
    SchedulerBase::post(std::move(task));
    // Outside any event nobody would run the task until the next input or tick.
    if (idle())
        settleSoon();
}

void QtScheduler::endEvent() {
    SchedulerBase::endEvent();
    updateWakeUp();
}

const QTimer* QtScheduler::ownTimer(const Timer& t) const {
    auto it = m_own.find(&t);
    return it == m_own.end() ? nullptr : it->second;
}

void QtScheduler::roundWanted() {
    settleSoon();
}

void QtScheduler::ownTimerChanged(Timer& t) {
    if (!TimerSet::isLive(t)) {
        if (auto it = m_own.find(&t); it != m_own.end())
            it->second->stop();
        return;
    }
    QTimer*& q = m_own[&t];
    if (!q) {
        q = new QTimer(&m_context);
        q->setTimerType(literal() ? Qt::PreciseTimer : Qt::CoarseTimer);
        Timer* tp = &t;
        QObject::connect(q, &QTimer::timeout, &m_context, [this, tp] {
            fireTimer(*tp);
            updateWakeUp();
        });
    }
    q->start(t.interval());
}

void QtScheduler::ownTimerRemoved(Timer& t) {
    auto it = m_own.find(&t);
    if (it == m_own.end())
        return;
    // The timer may be going away inside its own tick: let Qt delete it afterwards.
    QTimer* q = it->second;
    q->stop();
    q->disconnect();
    q->deleteLater();
    m_own.erase(it);
}

void QtScheduler::settleSoon() {
    if (!m_settle->isActive())
        m_settle->start();
}

void QtScheduler::secondTurned() {
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(m_fd, &expirations, sizeof expirations);
    if (n < 0 && errno == EAGAIN)
        return;
    // Whether the second turned or (ECANCELED) the clock was set, the wake-up is spent and
    // the timers of the rounds have something new to show.
    m_armed = false;
    updateWakeUp();
    if (beforeSecond)
        beforeSecond();
    m_secondDue = true;
    secondChanged();
    updateWakeUp();
    // Timers read literally run no round.
    timersRan();
}

void QtScheduler::timersRan() {
    if (std::exchange(m_secondDue, false) && afterSecond)
        afterSecond();
}

void QtScheduler::updateWakeUp() {
    const bool wanted = m_fd >= 0 && !literal() && m_timers.anyLiveInRounds();
    if (wanted && !m_armed)
        arm();
    else if (!wanted && m_armed)
        disarm();
}

void QtScheduler::arm() {
    // Should the clock be set between reading it and arming, the target would be a whole
    // second of the old time: read again and aim anew.
    for (int attempt = 0; attempt < 3; ++attempt) {
        timespec before{};
        clock_gettime(CLOCK_REALTIME, &before);
        // The next turn of the program's second: a whole second of the computer's clock, plus
        // the phase of a simulated time the program keeps.
        constexpr std::int64_t Second = 1'000'000'000;
        const std::int64_t phase = std::int64_t(m_phaseMs) * 1'000'000;
        const std::int64_t now = std::int64_t(before.tv_sec) * Second + before.tv_nsec;
        const std::int64_t since = ((now - phase) % Second + Second) % Second;
        const std::int64_t next = now - since + Second;
        itimerspec wakeAt{};
        wakeAt.it_value.tv_sec = time_t(next / Second);
        wakeAt.it_value.tv_nsec = long(next % Second);
        if (timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &wakeAt, nullptr) !=
            0)
            return;
        m_armed = true;
        timespec after{};
        clock_gettime(CLOCK_REALTIME, &after);
        if (after.tv_sec >= before.tv_sec && after.tv_sec <= before.tv_sec + 2)
            return;
    }
}

void QtScheduler::setSecondPhase(int phaseMs) {
    if (phaseMs == m_phaseMs)
        return;
    m_phaseMs = phaseMs;
    // Aimed at the old phase, the wake-up is aimed anew.
    if (m_armed) {
        disarm();
        updateWakeUp();
    }
}

void QtScheduler::disarm() {
    const itimerspec off{};
    timerfd_settime(m_fd, 0, &off, nullptr);
    m_armed = false;
}

} // namespace orvane
