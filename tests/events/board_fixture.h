#pragma once

// The event timer board's tests: the whole program on the fakes, with the events defined
// the way the wizard defines them.

#include "events/frmEventTimers.h"
#include "support/app_fixture.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::test {

class BoardTest : public AppTest {
  protected:
    frmEventTimers& board() { return app.frmEventTimers(); }

    // Defines event n as the wizard's Enter does, keeping the row's name.
    void defineEvent(int n, const std::string& sign, std::int32_t secs) {
        frmEventTimers& b = board();
        b.DefineEvent(n, b.control<Label>("lblName", n).caption(), sign, secs);
    }

    void showBoard() {
        ASSERT_EQ(main().control<CommandButton>("cmdShowTimers").caption(), "Show Event Timers");
        ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    }

    // The wall clock jumps to this second, and a little more than half of it passes.
    void clockMidSecond(std::string_view text) {
        clockAt(text);
        advance(600ms);
    }

    int top(int n) { return board().control<PictureBox>("pctEvent", n).top(); }
};

} // namespace orvane::test
