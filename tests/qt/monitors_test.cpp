// The monitor picker with two named screens: Qt's offscreen platform, configured with a
// desk monitor and a projector, stands in for a two-monitor desk (an X server names every
// output alike).

#include "app.h"
#include "clock/frmPresent.h"
#include "qt/qt_displays.h"
#include "qt/qt_view.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

namespace orvane::test {
namespace {

class MonitorsTest : public AppTest {
  protected:
    MonitorsTest() : view(app), displays(view) {
        app.setObserver(&view);
        app.setDisplays(&displays);
    }
    ~MonitorsTest() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QtView view;
    QtDisplays displays;
};

TEST_F(MonitorsTest, TheUserPicksTheProjector_AndTheCountCoversItThere) {
    const std::vector<Monitor> monitors = displays.monitors();
    ASSERT_EQ(monitors.size(), 2u);
    EXPECT_EQ(monitors[0].name, "Desk");
    EXPECT_EQ(monitors[1].name, "Projector");
    EXPECT_EQ(monitors[1].left, 1920 * 15);
    EXPECT_EQ(monitors[1].width, 1280 * 15);

    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    auto& picker = app.form<frmPresentScreen>();
    QWidget* pickerWindow = view.window(picker);
    ASSERT_TRUE(pickerWindow && pickerWindow->isVisible());
    EXPECT_EQ(picker.optMonitor[1].caption(), "&2  Projector, 1280 x 720");
    // The main window is on the desk, so the projector is offered first.
    EXPECT_TRUE(picker.optMonitor[1].value());
    ASSERT_TRUE(click(picker.cmdPresent));
    QWidget* present = view.window(*app.loadedForm("frmPresent"));
    ASSERT_TRUE(present && present->isVisible());
    EXPECT_EQ(present->geometry(), QRect(1920, 0, 1280, 720));
    EXPECT_EQ(present->screen()->name(), "Projector");
    // The main window stays usable on the desk.
    EXPECT_TRUE(main().acceptsInput());
    EXPECT_EQ(view.window(main())->screen()->name(), "Desk");
    EXPECT_EQ(world.settings.stored(PresentSection, PresentMonitorKey), monitors[1].key());
}

// The full screen left on the projector and the compact one on the desk: after a restart the
// full screen comes back on the projector, at its place there, as the window system puts it.
TEST_F(MonitorsTest, TheFullScreenLeftOnTheProjectorComesBackThereAfterARestart) {
    startAndSettle();
    auto toggle = [this](App& a) {
        world.scheduler.deliver([&] { a.frmOrvane().dblClick(); });
    };
    auto moveTo = [this](Form& f, int x, int y) {
        world.scheduler.deliver([&] { f.movedByUser(x * 15, y * 15); });
    };
    toggle(app);
    moveTo(main(), 1920 + 200, 100);
    toggle(app);
    moveTo(main(), 300, 40);

    FakeWorld again(testInfo());
    again.settings = world.settings;
    App second(again.services);
    QtView secondView(second);
    QtDisplays secondDisplays(secondView);
    second.setObserver(&secondView);
    second.setDisplays(&secondDisplays);
    again.scheduler.deliver([&] { Main(second); });
    again.scheduler.advance(3000);
    EXPECT_EQ(secondView.window(second.frmOrvane())->screen()->name(), "Desk");
    again.scheduler.deliver([&] { second.frmOrvane().dblClick(); });
    QWidget* full = secondView.window(second.frmOrvane());
    EXPECT_EQ(full->screen()->name(), "Projector");
    EXPECT_EQ(second.frmOrvane().left(), (1920 + 200) * 15);
    EXPECT_EQ(second.frmOrvane().top(), 100 * 15);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace orvane::test

int main(int argc, char** argv) {
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screens.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.write(R"({"screens": [
        {"name": "Desk", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96},
        {"name": "Projector", "x": 1920, "y": 0, "width": 1280, "height": 720, "logicalDpi": 96}
    ]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
