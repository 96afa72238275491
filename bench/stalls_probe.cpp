#include "stalls_probe.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <memory>

namespace orvane::bench {

namespace {

constexpr int FineIntervalMs = 10;

std::int64_t monotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

std::int64_t wallNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

} // namespace

void startFineTimer(QObject* parent, std::function<void(const std::string&)> write) {
    struct State {
        std::int64_t due = 0;
        std::int64_t secondEnds = 0;
        std::int64_t maxLateNs = 0;
        int ticks = 0;
    };
    auto state = std::make_shared<State>();
    auto* timer = new QTimer(parent);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(FineIntervalMs);
    QObject::connect(timer, &QTimer::timeout, parent, [state, write = std::move(write)] {
        const std::int64_t now = monotonicNs();
        if (state->due)
            state->maxLateNs = std::max(state->maxLateNs, now - state->due);
        ++state->ticks;
        state->due = now + FineIntervalMs * 1'000'000LL;
        if (!state->secondEnds)
            state->secondEnds = now + 1'000'000'000;
        if (now < state->secondEnds)
            return;
        write("fine " + std::to_string(wallNs()) + " " +
              std::to_string(state->maxLateNs / 1000) + " " + std::to_string(state->ticks) +
              "\n");
        state->secondEnds = now + 1'000'000'000;
        state->maxLateNs = 0;
        state->ticks = 0;
    });
    timer->start();
}

void answerQuestionsYes(QObject* parent) {
    auto* timer = new QTimer(parent);
    timer->setInterval(100);
    QObject::connect(timer, &QTimer::timeout, parent, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            if (QAbstractButton* yes = box->button(QMessageBox::Yes))
                yes->click();
    });
    timer->start();
}

} // namespace orvane::bench
