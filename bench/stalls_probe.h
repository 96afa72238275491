#pragma once

// The stalls scene of the benchmark's probe (ORVANE_BENCH_SCENE=stalls): besides the seconds'
// paints the probe always times, a fine timer that asks to run every 10 ms, its lateness
// written once a second as "fine NS MAX_LATE_US TICKS": the longest it waited past its time
// in that second, and how many times it ran. A user-interface thread that stalls shows here
// even between two turns of the second.

#include <QObject>

#include <functional>
#include <string>

namespace orvane::bench {

void startFineTimer(QObject* parent, std::function<void(const std::string&)> write);

// A question box (Delete Run's) is answered Yes soon after it opens, as a user would.
void answerQuestionsYes(QObject* parent);

} // namespace orvane::bench
