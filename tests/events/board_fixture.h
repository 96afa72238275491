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

    // Defines event n as the wizard's Enter does: the record, the row's mark, a fresh count
    // state and a tooltip refresh.
    void defineEvent(int n, const std::string& sign, std::int32_t secs) {
        frmEventTimers& b = board();
        b.EventData().setPlus(n, sign);
        b.EventData().setSecs(n, secs);
        b.pctEvent[n].setVisible(true);
        b.pctEvent[n].setTag(sign);
        b.lblTag[n].setTag("");
        b.tmrToolTips.setEnabled(true);
    }

    void showBoard() {
        ASSERT_EQ(main().cmdShowTimers.caption(), "Show Event Timers");
        ASSERT_TRUE(click(main().cmdShowTimers));
    }

    // The wall clock jumps to this second, and a little more than half of it passes.
    void clockMidSecond(std::string_view text) {
        clockAt(text);
        advance(600ms);
    }

    int top(int n) { return board().pctEvent[n].top(); }
};

} // namespace orvane::test
