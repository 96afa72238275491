// The program on screen: the whole App on the fakes, drawn by the Qt view on the offscreen
// platform, and handled through real widget input.

#include "events/frmEventTimers.h"
#include "qt/qt_view.h"
#include "shell/frmSplash.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSet>
#include <QSpinBox>
#include <QTest>
#include <QWindow>

namespace orvane::test {
namespace {

class QtViewTest : public AppTest {
  protected:
    QtViewTest() : view(app) { app.setObserver(&view); }
    ~QtViewTest() override {
        // Windows of unloaded forms are deleted once control is back in an event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget* mainWindow() { return view.window(main()); }
    template <class W = QWidget> W* mainWidget(const char* name) {
        QWidget* top = mainWindow();
        return top ? top->findChild<W*>(QString::fromLatin1(name)) : nullptr;
    }
    void leftClick(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

    QtView view;
};

QStringList visibleMenuTitles(QWidget* top) {
    QStringList titles;
    auto* bar = top->findChild<QMenuBar*>();
    if (bar && bar->isVisible())
        for (QAction* a : bar->actions())
            if (a->isVisible())
                titles << a->text().remove('&');
    return titles;
}

TEST_F(QtViewTest, TheMainWindowOpensCompactWithoutMenus_AndItsDigitsFollowTheCount) {
    clockAt("2001-05-03 10:00:00");
    start();
    QWidget* top = mainWindow();
    ASSERT_TRUE(top);
    EXPECT_TRUE(top->isVisible());
    EXPECT_EQ(top->windowTitle(), "Mission Elapsed Time");
    EXPECT_EQ(top->size(), QSize(290, 108)) << "4350 x 1630 twips at 96 dpi";
    EXPECT_TRUE(visibleMenuTitles(top).isEmpty());

    auto* minutes = mainWidget<QLabel>("lblMinutes");
    auto* seconds = mainWidget<QLabel>("lblSeconds");
    ASSERT_TRUE(minutes && seconds);
    EXPECT_EQ(minutes->text(), "30");
    EXPECT_EQ(seconds->text(), "00");
    advance(1s);
    EXPECT_EQ(minutes->text(), "29");
    EXPECT_EQ(seconds->text(), "59");
    advance(60s);
    EXPECT_EQ(minutes->text(), "28");
    EXPECT_EQ(seconds->text(), "59");
}

TEST_F(QtViewTest, TheSplashDrawsItsLogoAndName_AndGoesAfterThreeSeconds) {
    start();
    QPointer<QWidget> splash = view.window(app.frmSplash());
    ASSERT_TRUE(splash);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash->findChild<QLabel*>("lblProductName")->text(), "Orvane");

    const QImage shot = splash->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 50) << "a drawn logo and text, not a blank window";
    EXPECT_TRUE(colours.contains(qRgb(0x00, 0x20, 0x40))) << "the splash's dark blue";

    advance(3s);
    EXPECT_FALSE(app.isLoaded("frmSplash"));
    EXPECT_TRUE(!splash || !splash->isVisible());
}

// While the splash was up the main window was once drawn greyed out, as Qt draws whatever a
// disabled widget holds; it should only refuse input and look as it will a moment later.
TEST_F(QtViewTest, WhileTheSplashIsUpTheMainWindowRefusesInput_YetIsDrawnAsAfterwards) {
    start();
    auto* access = mainWidget<QPushButton>("cmdAccess");
    ASSERT_TRUE(access);
    leftClick(access);
    QTest::keyClick(mainWindow()->windowHandle(), Qt::Key_Escape);
    EXPECT_EQ(main().control<CommandButton>("cmdAccess").caption(), "&Access Launch Data");
    EXPECT_EQ(mainWindow()->size(), QSize(290, 108));
    EXPECT_FALSE(world.process.ended);
    EXPECT_TRUE(world.dialogs.shown().empty()) << "Esc did not reach the exit path";

    EXPECT_TRUE(access->isEnabled());
    const QImage during = mainWidget("lblMinutes")->grab().toImage();
    const QImage button = access->grab().toImage();
    QTest::keyClick(view.window(app.frmSplash())->windowHandle(), Qt::Key_X);
    ASSERT_FALSE(app.isLoaded("frmSplash"));
    EXPECT_EQ(mainWidget("lblMinutes")->grab().toImage(), during);
    EXPECT_EQ(access->grab().toImage(), button);
}

// The board behind the event wizard takes no input, its menu shortcuts among it: Ctrl+H would
// have narrowed it under the wizard's feet.
TEST_F(QtViewTest, TheBoardBehindTheWizardIgnoresItsShortcuts_UntilTheWizardEnds) {
    startAndSettle();
    leftClick(mainWidget("cmdShowTimers"));
    frmEventTimers& board = app.frmEventTimers();
    QWidget* top = view.window(board);
    ASSERT_TRUE(top && top->isVisible());
    const QSize wide = top->size();
    leftClick(top->findChild<QPushButton*>("cmdAdd"));
    ASSERT_TRUE(app.isLoaded("frmETWIZNumber"));

    QApplication::setActiveWindow(top);
    QTest::keyClick(top, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(top->size(), wide);
    EXPECT_TRUE(top->findChild<QPushButton*>("cmdSeqEvents")->isEnabled()) << "not greyed";

    QWidget* number = view.window(*app.loadedForm("frmETWIZNumber"));
    leftClick(number->findChild<QPushButton*>("cmdCancel"));
    ASSERT_FALSE(app.isLoaded("frmETWIZNumber"));
    QApplication::setActiveWindow(top);
    QTest::keyClick(top, Qt::Key_H, Qt::ControlModifier);
    EXPECT_LT(top->width(), wide.width()) << "Hide Controls narrows the board";
}

// Regression: Enter in the calendar's year box finished the whole wizard with the old date.
TEST_F(QtViewTest, EnterInTheCalendarsYearBoxAppliesTheYear_AndLeavesTheWizardOpen) {
    startAndSettle();
    click(app.frmEventTimers().control<CommandButton>("cmdAdd"));
    answer(Answer::OK);
    click(*app.form("frmETWIZNumber")->findControl("cmdNext"));
    type(*app.form("frmETWIZLabel")->findControl("txtName"), "Dock");
    click(*app.form("frmETWIZLabel")->findControl("cmdNext"));
    click(*app.form("frmETWIZChoice")->findControl("optClock"));
    click(*app.form("frmETWIZChoice")->findControl("cmdNext"));
    Form* page = app.loadedForm("frmETWIZDate");
    ASSERT_TRUE(page);
    QWidget* top = view.window(*page);
    ASSERT_TRUE(top);
    top->show();
    QApplication::setActiveWindow(top);
    auto* calendar = top->findChild<QCalendarWidget*>("Calendar");
    ASSERT_TRUE(calendar);
    auto* year = calendar->findChild<QSpinBox*>();
    ASSERT_TRUE(year);
    year->show();
    year->setFocus();
    year->selectAll();
    QTest::keyClicks(year, "2005");
    QTest::keyClick(top->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(app.isLoaded("frmETWIZDate")) << "the wizard is still open";
    EXPECT_EQ(calendar->yearShown(), 2005);
}

TEST_F(QtViewTest, AccessLaunchDataOpensTheFullScreenWithMenusAndStatusBar_AndBack) {
    clockAt("2001-05-03 10:00:00");
    startAndSettle();
    auto* access = mainWidget<QPushButton>("cmdAccess");
    ASSERT_TRUE(access);
    leftClick(access);
    QWidget* top = mainWindow();
    EXPECT_EQ(top->size(), QSize(677, 457)) << "10155 x 6855 twips at 96 dpi";
    EXPECT_EQ(access->text(), "Com&pact Screen");
    EXPECT_EQ(visibleMenuTitles(top), (QStringList{"File", "Settings", "Sim Time", "Help"}));
    // Alt+H and Alt+S are the Help and Settings menus' letters: the buttons give them up.
    EXPECT_EQ(mainWidget<QPushButton>("cmdHoldResume")->text(), "Hold");
    EXPECT_EQ(mainWidget<QPushButton>("cmdSet")->text(), "Set Launch Time");

    // The status bar lies along the bottom edge, below the entry panels.
    auto* strip = mainWidget("sbrStatusBar");
    ASSERT_TRUE(strip);
    EXPECT_TRUE(strip->isVisible());
    EXPECT_EQ(strip->mapTo(top, QPoint(0, strip->height())).y(), top->height());
    EXPECT_EQ(strip->width(), top->width());
    auto* panel = mainWidget("pctLaunchTime");
    EXPECT_LE(panel->mapTo(top, QPoint(0, panel->height())).y(), strip->mapTo(top, QPoint()).y());
    advance(1s);
    EXPECT_EQ(mainWidget<QLabel>("sbrStatusBar(pnlCurrentDate)")->text(),
              "May 3, 2001  10:00:04 AM");

    leftClick(access);
    EXPECT_EQ(top->size(), QSize(290, 108));
    EXPECT_TRUE(visibleMenuTitles(top).isEmpty());
    EXPECT_FALSE(strip->isVisible());
    EXPECT_EQ(mainWidget<QPushButton>("cmdHoldResume")->text(), "&Hold") << "no menu, its own";
}

TEST_F(QtViewTest, ControlsAreFoundByName_AndSitInsideTheirPanels) {
    start();
    for (const char* name :
         {"shpIndicator(1)", "lblTarget", "Calendar", "vsbSeconds", "sbrStatusBar(pnlCurrentFile)"})
        EXPECT_TRUE(mainWidget(name)) << name;
    EXPECT_EQ(mainWidget("txtLaunchDate")->parentWidget(), mainWidget("pctLaunchTime"));
    EXPECT_EQ(mainWidget("cmdSetWindow")->parentWidget(), mainWidget("pctLaunchWindow"));
    EXPECT_FALSE(mainWidget("Calendar")->isVisibleTo(mainWindow()));
}

TEST_F(QtViewTest, InTheLastMinuteTwoLightsBlinkTogetherAndTheThirdBetweenThem) {
    clockAt("2001-05-03 10:29:10");
    startAndSettle();
    QWidget* lights[] = {mainWidget("shpIndicator(0)"), mainWidget("shpIndicator(1)"),
                         mainWidget("shpIndicator(2)")};
    for (int step = 0; step < 4; ++step) {
        advance(1s);
        const bool even = main().control<Label>("lblSeconds").caption().back() % 2 == 0;
        EXPECT_EQ(lights[0]->isVisible(), even) << main().control<Label>("lblSeconds").caption();
        EXPECT_EQ(lights[1]->isVisible(), even) << main().control<Label>("lblSeconds").caption();
        EXPECT_EQ(lights[2]->isVisible(), !even) << main().control<Label>("lblSeconds").caption();
    }
}

TEST_F(QtViewTest, TypingAnHourAndPressingAScrollBarsUpArrowReachTheEntry) {
    startAndSettle();
    leftClick(mainWidget("cmdAccess"));
    auto* hours = mainWidget<QLineEdit>("txtHours");
    ASSERT_TRUE(hours);
    hours->setFocus();
    hours->selectAll();
    QTest::keyClicks(hours, "12");
    EXPECT_EQ(main().control<TextBox>("txtHours").text(), "12");

    auto* minutes = mainWidget<QScrollBar>("vsbMinutes");
    ASSERT_TRUE(minutes);
    const int before = main().control<ScrollBar>("vsbMinutes").value();
    QTest::mouseClick(minutes, Qt::LeftButton, {}, QPoint(minutes->width() / 2, 3));
    EXPECT_EQ(main().control<ScrollBar>("vsbMinutes").value(), before + 1)
        << "the up arrow raises the value";
}

TEST_F(QtViewTest, TheCloseButtonIsRefused_AndLeadsToTheExitPath) {
    startAndSettle();
    QWidget* top = mainWindow();
    EXPECT_FALSE(top->close());
    EXPECT_TRUE(top->isVisible());
    // Exiting may ask about saving first; either way the exit path ran.
    EXPECT_TRUE(world.process.ended || !world.dialogs.shown().empty());
    world.dialogs.clearFailure();
}

TEST_F(QtViewTest, EscInTheMainWindowLeadsToTheExitPath) {
    startAndSettle();
    QTest::keyClick(mainWindow()->windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(world.process.ended || !world.dialogs.shown().empty());
    world.dialogs.clearFailure();
}

TEST_F(QtViewTest, AnyKeyClosesTheSplashEarly) {
    start();
    QPointer<QWidget> splash = view.window(app.frmSplash());
    ASSERT_TRUE(splash);
    QTest::keyClick(splash->windowHandle(), Qt::Key_X);
    EXPECT_FALSE(app.isLoaded("frmSplash"));
    EXPECT_FALSE(splash && splash->isVisible());
    EXPECT_TRUE(mainWindow()->isEnabled());
}

// Qt drops mouse input over a greyed button; the windows pass it on to what holds the button,
// so the right mouse button over the greyed Hold button or the board's greyed scroll arrow
// pops the window's menu up. A left click on the greyed button still holds nothing.
TEST_F(QtViewTest, TheRightMouseButtonOverAGreyedButtonPopsTheMenuUp) {
    startAndSettle();
    auto* hold = mainWidget<QPushButton>("cmdHoldResume");
    ASSERT_TRUE(hold);
    ASSERT_FALSE(hold->isEnabled());
    QTest::mouseClick(hold, Qt::RightButton);
    EXPECT_EQ(world.transcript, (std::vector<std::string>{"popup frmOrvane.mnuPopUp"}));
    QTest::mouseClick(hold, Qt::LeftButton);
    EXPECT_EQ(main().control<CommandButton>("cmdHoldResume").caption(), "&Hold");

    world.transcript.clear();
    ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    QWidget* board = view.window(app.frmEventTimers());
    auto* up = board ? board->findChild<QPushButton*>("cmdUp") : nullptr;
    ASSERT_TRUE(up);
    ASSERT_FALSE(up->isEnabled());
    QTest::mouseClick(up, Qt::RightButton);
    EXPECT_EQ(world.transcript, (std::vector<std::string>{"popup frmEventTimers.mnuPopUp"}));
}

// Paint events a label receives, in order, under one list shared by several labels.
class PaintLog : public QObject {
  public:
    void watch(QWidget* w, const char* name) {
        w->installEventFilter(this);
        m_names[w] = name;
    }
    QStringList log;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            log << m_names.value(watched);
        return false;
    }

  private:
    QHash<QObject*, QString> m_names;
};

// Within a second the board's rows change before the main count; the main count is painted
// first all the same, before the board, when the program asks for it at the end of the round.
TEST_F(QtViewTest, AtTheTurnOfASecondTheMainCountCanBePaintedBeforeTheBoard) {
    clockAt("2001-05-03 10:00:00");
    startAndSettle();
    app.frmEventTimers().DefineEvent(0, "Fuel", "-", 600);
    leftClick(mainWidget("cmdShowTimers"));
    QWidget* board = view.window(app.frmEventTimers());
    ASSERT_TRUE(board && board->isVisible());
    QCoreApplication::processEvents();

    PaintLog paints;
    paints.watch(mainWidget("lblSeconds"), "main");
    paints.watch(view.widget(app.frmEventTimers().control<Label>("lblTime", 0)), "row");
    advance(1s);
    view.paintNow(main());
    EXPECT_EQ(paints.log, QStringList{"main"});
    // The board's paint comes when the event loop next runs; the bound is only there so
    // that a paint that never comes fails instead of hanging.
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints.log.size() > 1; }, 30'000));
    EXPECT_EQ(paints.log, (QStringList{"main", "row"}));
}

// The widest count the dates allow, from the first date to the last, drawn in the window's
// real font: every digit of the days shows whole.
TEST_F(QtViewTest, TheWidestCountOfDaysShowsWhole) {
    world.clock.set(*DateTime::fromParts(100, 1, 1));
    startAndSettle();
    frmOrvane& f = main();
    ASSERT_TRUE(click(f.control<CommandButton>("cmdAccess")));
    ASSERT_TRUE(type(f.control<TextBox>("txtLaunchDate"), "12/31/9999"));
    answer(Answer::Yes);
    ASSERT_TRUE(click(f.control<CommandButton>("cmdSet")));
    auto* days = mainWidget<QLabel>("lblDays");
    ASSERT_TRUE(days);
    EXPECT_EQ(days->text(), "3615899");
    EXPECT_LE(QFontMetrics(days->font()).horizontalAdvance(days->text()),
              days->contentsRect().width());
}

} // namespace
} // namespace orvane::test
