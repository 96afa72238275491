#pragma once

// The fixture of the window tests: the whole program on the fakes. Time moves only by
// advance(), which fires whatever timers are due, in order; input goes through the same
// delivery as a real click, so the fast timers run after it as they would on screen.

#include "app.h"
#include "clock/frmOrvane.h"
#include "doubles/fake_services.h"
#include "shell/basOrvaneLoad.h"
#include "version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>

namespace orvane::test {

using namespace std::chrono_literals;

// "2001-05-03 10:20:00" as a date-time.
inline DateTime at(std::string_view text) {
    auto parsed = toDateTime(text);
    EXPECT_TRUE(parsed) << text;
    return parsed.value_or(DateTime{});
}

inline AppInfo testInfo() {
    AppInfo info;
    info.programDir = "/orvane";
    info.major = version::major;
    info.minor = version::minor;
    info.revision = version::revision;
    info.platform = version::platform;
    info.projectAddress = version::projectAddress;
    return info;
}

class AppTest : public ::testing::Test {
  protected:
    AppTest() : world(testInfo()), app(world.services) {}

    ~AppTest() override {
        EXPECT_FALSE(world.dialogs.failure()) << *world.dialogs.failure();
        EXPECT_EQ(world.dialogs.unusedAnswers(), 0u) << "answers queued but never asked for";
    }

    void clockAt(std::string_view text) { world.clock.set(at(text)); }
    std::string now() const { return formatDate(world.clock.now(), "yyyy-mm-dd hh:nn:ss"); }

    // Start-up as the program runs it; the splash is still up afterwards.
    void start() {
        world.scheduler.deliver([this] { Main(app); });
    }
    // Start-up, then time enough for the splash to close by itself.
    void startAndSettle() {
        start();
        advance(3s);
    }
    void advance(std::chrono::milliseconds d) { world.scheduler.advance(d.count()); }

    // What a person does. Input to a disabled control is refused, as on screen: these
    // return false then and do nothing.
    bool click(Control& c) {
        return input(c, [&] { c.click(); });
    }
    bool dblClick(Control& c) {
        return input(c, [&] { c.dblClick(); });
    }
    bool rightClick(Control& c) {
        return input(c, [&] {
            c.mouseDown(MouseButton::Right);
            c.mouseUp(MouseButton::Right);
        });
    }
    bool type(Control& c, std::string_view text) {
        return input(c, [&] { EXPECT_TRUE(c.userSet(text).ok) << c.displayName(); });
    }
    bool key(Form& f, int code) {
        return input(f, [&] { f.keyPress(code); });
    }
    void closeButton(Form& f) {
        world.scheduler.deliver([&] { app.closeRequested(f); });
    }

    void answer(Answer a) { world.dialogs.queueAnswer(a); }
    // The last message box shown; fails the test when none was.
    ShownMessage lastMessage() const {
        EXPECT_FALSE(world.dialogs.shown().empty()) << "no message box was shown";
        return world.dialogs.shown().empty() ? ShownMessage{} : world.dialogs.shown().back();
    }
    std::size_t messageCount() const { return world.dialogs.shown().size(); }

    orvane::frmOrvane& main() { return app.frmOrvane(); }

    FakeWorld world;
    App app;

  private:
    template <class F> bool input(Control& c, F&& f) {
        if (!c.acceptsInput())
            return false;
        world.scheduler.deliver(f);
        return true;
    }
};

} // namespace orvane::test
