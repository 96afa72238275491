// The count presented on a whole monitor, as drawn by the Qt view: the hours, minutes and
// seconds as large as the monitor allows, measured from the pixels.

#include "clock/frmPresent.h"
#include "qt/qt_view.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPaintEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWidget>

#include <vector>

namespace orvane::test {
namespace {

class OneTestMonitor : public Displays {
  public:
    Monitor only;
    std::vector<Monitor> monitors() const override { return {only}; }
};

// The columns of the image that hold ink (darker than the digits' grey), in runs.
struct Run {
    int from, to;
    bool operator==(const Run&) const = default;
};

struct Ink {
    QRect box;
    std::vector<Run> runs;
};

Ink inkOf(const QImage& image) {
    Ink ink;
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    std::vector<bool> column(image.width(), false);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 100) {
                column[x] = true;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right >= 0)
        ink.box = QRect(QPoint(left, top), QPoint(right, bottom));
    for (int x = 0; x < image.width(); ++x) {
        if (!column[x])
            continue;
        if (!ink.runs.empty() && ink.runs.back().to == x - 1)
            ink.runs.back().to = x;
        else
            ink.runs.push_back({x, x});
    }
    return ink;
}

// The areas a widget was asked to paint.
class PaintRecorder : public QObject {
  public:
    std::vector<QRect> rects;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(e)->rect());
        return false;
    }
};

class PresentRepaintTest : public AppTest {
  protected:
    PresentRepaintTest() : view(app) { app.setObserver(&view); }
    ~PresentRepaintTest() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QtView view;
};

class PresentViewTest : public AppTest, public ::testing::WithParamInterface<QSize> {
  protected:
    PresentViewTest() : view(app) { app.setObserver(&view); }
    ~PresentViewTest() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QtView view;
};

// The H:MM:SS line spans 85 % of the width or 60 % of the height, whichever limits first,
// its characters all as wide as each other, so a colon stands still as the digits turn.
TEST_P(PresentViewTest, TheDigitsAreAsLargeAsTheMonitorAllows_AndStandStillAsTheyTurn) {
    const QSize size = GetParam();
    OneTestMonitor monitors;
    monitors.only = Monitor{
        "Test",       "",           "", 0, 0, view.twips(size.width()), view.twips(size.height()),
        size.width(), size.height()};
    app.setDisplays(&monitors);
    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    auto& present = app.form<frmPresent>();
    QWidget* top = view.window(present);
    ASSERT_TRUE(top);
    EXPECT_TRUE(top->isVisible());
    EXPECT_EQ(top->size(), size);
    EXPECT_TRUE(top->windowFlags() & Qt::FramelessWindowHint);
    auto* clock = top->findChild<QLabel*>("lblClock");
    ASSERT_TRUE(clock);

    present.lblClock.setCaption("00:00:00");
    const Ink zeros = inkOf(clock->grab().toImage());
    present.lblClock.setCaption("11:11:11");
    const Ink ones = inkOf(clock->grab().toImage());
    present.lblClock.setCaption("08:47:29");
    const Ink mixed = inkOf(clock->grab().toImage());

    const double wide = double(zeros.box.width()) / size.width();
    const double tall = double(zeros.box.height()) / size.height();
    EXPECT_TRUE(wide >= 0.85 || tall >= 0.60)
        << "the digits span " << wide * 100 << " % of the width and " << tall * 100
        << " % of the height of " << size.width() << "x" << size.height();
    EXPECT_LE(zeros.box.width(), size.width());
    ASSERT_EQ(zeros.runs.size(), 8u);
    ASSERT_EQ(ones.runs.size(), 8u);
    ASSERT_EQ(mixed.runs.size(), 8u);
    for (int colon : {2, 5}) {
        EXPECT_EQ(zeros.runs[colon], ones.runs[colon]) << "colon " << colon;
        EXPECT_EQ(zeros.runs[colon], mixed.runs[colon]) << "colon " << colon;
    }
    // Undistorted: a digit keeps the face's own proportions (about 0.6 wide to 0.73 tall).
    const double digitAspect =
        double(zeros.runs[0].to - zeros.runs[0].from + 1) / zeros.box.height();
    EXPECT_NEAR(digitAspect, 0.68, 0.1);
}

// Each second repaints only the digits that turned, never the whole line (on a 4K screen that
// would be some 20 MB a second through the X connection), and the screen then shows exactly
// what painting the whole window afresh shows.
TEST_F(PresentRepaintTest, ATurningSecondRepaintsOnlyTheDigitsThatChanged) {
    OneTestMonitor monitors;
    monitors.only =
        Monitor{"Test", "", "", 0, 0, view.twips(1920), view.twips(1080), 1920, 1080};
    app.setDisplays(&monitors);
    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    auto& present = app.form<frmPresent>();
    QWidget* top = view.window(present);
    ASSERT_TRUE(top);
    auto* clock = top->findChild<QLabel*>("lblClock");
    ASSERT_TRUE(clock);
    PaintRecorder painted;
    clock->installEventFilter(&painted);
    const auto paint = [&] {
        painted.rects.clear();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    };

    present.lblClock.setCaption("08:47:29");
    paint();
    ASSERT_FALSE(painted.rects.empty());
    const QRect whole = clock->contentsRect();
    const auto runs = inkOf(clock->grab().toImage()).runs;
    ASSERT_EQ(runs.size(), 8u);

    present.lblClock.setCaption("08:47:30");
    paint();
    ASSERT_EQ(painted.rects.size(), 1u);
    const QRect area = painted.rects.front();
    EXPECT_LT(area.width(), whole.width() / 2);
    EXPECT_LE(area.left(), runs[6].from) << "the tens of seconds are repainted";
    EXPECT_GE(area.right(), runs[7].to) << "the seconds are repainted";
    EXPECT_GT(area.left(), (runs[4].from + runs[4].to) / 2) << "the minutes are left as they stand";
    EXPECT_EQ(top->screen()->grabWindow(top->winId()).toImage().convertToFormat(QImage::Format_RGB32),
              top->grab().toImage().convertToFormat(QImage::Format_RGB32));

    // A new hour turns every digit after it; a new pattern (a day more) paints the whole box.
    present.lblClock.setCaption("09:00:00");
    paint();
    ASSERT_EQ(painted.rects.size(), 1u);
    EXPECT_LE(painted.rects.front().left(), runs[1].from);
    EXPECT_GT(painted.rects.front().left(), (runs[0].from + runs[0].to) / 2);
    present.lblClock.setCaption("109:00:00");
    paint();
    ASSERT_EQ(painted.rects.size(), 1u);
    EXPECT_EQ(painted.rects.front(), whole);
    EXPECT_EQ(top->screen()->grabWindow(top->winId()).toImage().convertToFormat(QImage::Format_RGB32),
              top->grab().toImage().convertToFormat(QImage::Format_RGB32));
}

INSTANTIATE_TEST_SUITE_P(Monitors, PresentViewTest,
                         ::testing::Values(QSize(1280, 720), QSize(1920, 1080), QSize(3840, 2160),
                                           QSize(1080, 1920), QSize(5120, 1440)),
                         [](const auto& info) {
                             return std::to_string(info.param.width()) + "x" +
                                    std::to_string(info.param.height());
                         });

} // namespace
} // namespace orvane::test

namespace orvane::test {
namespace {

class PresentKeysTest : public AppTest {
  protected:
    PresentKeysTest() : view(app) { app.setObserver(&view); }
    ~PresentKeysTest() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QtView view;
};

// F11 in the full screen presents the count; Esc there leaves it, and never reaches the main
// window's exit question (an unexpected message box fails the test).
TEST_F(PresentKeysTest, F11PresentsTheCount_AndEscThereLeavesIt) {
    startAndSettle();
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    QWidget* top = view.window(main());
    ASSERT_TRUE(top);
    QApplication::setActiveWindow(top);
    QTest::keyClick(top, Qt::Key_F11);
    ASSERT_TRUE(app.isLoaded("frmPresent"));
    QWidget* present = view.window(*app.loadedForm("frmPresent"));
    ASSERT_TRUE(present && present->isVisible());
    QTest::keyClick(present->windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(app.isLoaded("frmPresent"));
    EXPECT_FALSE(app.ended());
    EXPECT_EQ(messageCount(), 0u);
}

// A scroll bar with the focus takes Up, Down, Page Up and Page Down; up raises the value.
TEST_F(PresentKeysTest, AFocusedScrollBarStepsWithTheArrowAndPageKeys) {
    startAndSettle();
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    auto* bar = view.window(main())->findChild<QScrollBar*>("vsbMinutes");
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->focusPolicy(), Qt::StrongFocus);
    QTest::keyClick(bar, Qt::Key_Up);
    EXPECT_EQ(main().control<ScrollBar>("vsbMinutes").value(), 31);
    EXPECT_EQ(main().control<TextBox>("txtMinutes").text(), "31");
    QTest::keyClick(bar, Qt::Key_PageDown);
    EXPECT_EQ(main().control<ScrollBar>("vsbMinutes").value(), 21);
    QTest::keyClick(bar, Qt::Key_Down);
    QTest::keyClick(bar, Qt::Key_PageUp);
    EXPECT_EQ(main().control<ScrollBar>("vsbMinutes").value(), 30);
}

} // namespace
} // namespace orvane::test
