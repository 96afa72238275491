#pragma once

// The real scheduler: a Qt timer for each timer that runs on its own, and for the rounds a
// wake-up at each change of the wall clock's second.

#include "toolkit/scheduler_base.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace orvane {

class QtScheduler : public SchedulerBase {
  public:
    // Policy: the rounds the program runs with. Literal: every timer on a Qt timer of its own
    // at its interval, for the benchmark to compare with.
    enum class Timing { Policy, Literal };

    explicit QtScheduler(Timing timing = Timing::Policy);
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    void changed(Timer& t) override;
    void post(std::function<void()> task) override;
    void endEvent() override;
    void setSecondPhase(int phaseMs) override;

    // The Qt timer that runs a timer on its own, or null when it has none.
    const QTimer* ownTimer(const Timer& t) const;
    // Whether a wake-up at the next whole second is set.
    bool wakesAtNextSecond() const { return m_armed; }

    // Run when the second turns, before its round, and in the round once its timers have
    // run, before what listens to the round: the program paints the main count at once, and
    // holds the other windows' new texts back until then.
    std::function<void()> beforeSecond;
    std::function<void()> afterSecond;

  protected:
    void timersRan() override;
    void roundWanted() override;
    void ownTimerChanged(Timer& t) override;
    void ownTimerRemoved(Timer& t) override;

  private:
    void settleSoon();
    void secondTurned();
    void updateWakeUp();
    void arm();
    void disarm();

    QObject m_context;
    QTimer* m_settle = nullptr;
    int m_fd = -1;
    bool m_armed = false;
    bool m_secondDue = false; // the round of a new second has yet to run its timers
    int m_phaseMs = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::map<const Timer*, QTimer*> m_own;
};

} // namespace orvane
