#include "events/frmEventTimers.h"
#include "support/app_fixture.h"

namespace orvane::test {
namespace {

class Monitors : public Displays {
  public:
    std::vector<Monitor> list;
    std::vector<Monitor> monitors() const override { return list; }
};

// Twips of a pixel at 96 dpi.
constexpr int px = 15;

Monitor monitor(std::string name, int x, int width, int height) {
    return Monitor{std::move(name), "Maker",     "1",   x * px, 0,
                   width * px,      height * px, width, height};
}

class WindowPlacesTest : public AppTest {
  protected:
    WindowPlacesTest() {
        displays.list = {monitor("DP-1", 0, 1920, 1080), monitor("HDMI-1", 1920, 1920, 1080)};
        app.setDisplays(&displays);
    }
    // What the window system reports when the user drags the window.
    void drag(Form& f, int left, int top) {
        world.scheduler.deliver([&] { f.movedByUser(left, top); });
    }
    void toggle(frmOrvane& f) {
        world.scheduler.deliver([&] { f.dblClick(); });
    }
    static std::pair<int, int> at(const Form& f) { return {f.left(), f.top()}; }

    Monitors displays;
};

TEST_F(WindowPlacesTest, AWindowNobodyMovesStandsAtItsDesignedPlaces) {
    startAndSettle();
    EXPECT_EQ(at(main()), std::make_pair(7350, 600));
    toggle(main());
    EXPECT_EQ(at(main()), std::make_pair(750, 600));
    toggle(main());
    EXPECT_EQ(at(main()), std::make_pair(7350, 600));
    EXPECT_EQ(main().width(), 4350);
    EXPECT_EQ(main().height(), 1630);
}

// The fault: each switch put the window back at a fixed place, so a window moved to the
// projector jumped back to the first monitor.
TEST_F(WindowPlacesTest, EachModeKeepsWhereTheUserPutIt_OnTheMonitorItWasPutOn) {
    startAndSettle();
    toggle(main());
    drag(main(), 1920 * px + 3000, 1500);
    toggle(main());
    // The compact screen was never moved there: its designed left edge, on that monitor.
    EXPECT_EQ(at(main()), std::make_pair(1920 * px + 7350, 1500));
    drag(main(), 1920 * px + 9000, 4500);
    toggle(main());
    EXPECT_EQ(at(main()), std::make_pair(1920 * px + 3000, 1500));
    toggle(main());
    EXPECT_EQ(at(main()), std::make_pair(1920 * px + 9000, 4500));

    // Moved back to the first monitor, each mode has its designed place there.
    drag(main(), 7350, 600);
    toggle(main());
    EXPECT_EQ(at(main()), std::make_pair(750, 600));
}

TEST_F(WindowPlacesTest, PlacesHoldAcrossARestart_AndAMonitorThatHasGoneGivesWayToOneThatIsThere) {
    startAndSettle();
    drag(main(), 1920 * px + 9000, 4500);
    toggle(main());
    drag(main(), 1920 * px + 3000, 1500);

    std::pair<int, int> board;
    auto restart = [&](std::vector<Monitor> attached) {
        FakeWorld again(testInfo());
        again.settings = world.settings;
        Monitors monitors;
        monitors.list = std::move(attached);
        App second(again.services);
        second.setDisplays(&monitors);
        again.scheduler.deliver([&] { Main(second); });
        again.scheduler.advance(3000);
        board = at(second.frmEventTimers());
        std::pair<int, int> compact = at(second.frmOrvane());
        again.scheduler.deliver([&] { second.frmOrvane().dblClick(); });
        std::pair<int, int> full = at(second.frmOrvane());
        return std::make_pair(compact, full);
    };
    const auto both = restart(displays.list);
    EXPECT_EQ(both.first, std::make_pair(1920 * px + 9000, 4500));
    EXPECT_EQ(both.second, std::make_pair(1920 * px + 3000, 1500));
    EXPECT_EQ(board, std::make_pair(6000, 2400));

    // The event timers window keeps its place too.
    drag(app.frmEventTimers(), 1920 * px + 600, 900);

    const auto firstOnly = restart({displays.list[0]});
    EXPECT_EQ(firstOnly.first, std::make_pair(7350, 600));
    EXPECT_EQ(firstOnly.second, std::make_pair(750, 600));
    EXPECT_EQ(board, std::make_pair(6000, 2400));
    EXPECT_EQ(restart(displays.list).first, std::make_pair(1920 * px + 9000, 4500));
    EXPECT_EQ(board, std::make_pair(1920 * px + 600, 900));

    // The second monitor now smaller: the window stands where it stood relative to the
    // monitor (it was pinned into the corner), and whole on it.
    Monitor smaller = displays.list[1];
    smaller.width = 800 * px;
    smaller.height = 600 * px;
    const auto shrunk = restart({displays.list[0], smaller});
    EXPECT_EQ(shrunk.first, std::make_pair(1920 * px + 9000 * 800 / 1920, 4500 * 600 / 1080));
    EXPECT_EQ(shrunk.second.first, 1920 * px + 3000 * 800 / 1920);

    // The full screen left on the second monitor and the compact one on the first: after a
    // restart the full screen comes back where it was left.
    toggle(main());
    drag(main(), 7350, 600);
    const auto apart = restart(displays.list);
    EXPECT_EQ(apart.first, std::make_pair(7350, 600));
    EXPECT_EQ(apart.second, std::make_pair(1920 * px + 3000, 1500));
}

} // namespace
} // namespace orvane::test
