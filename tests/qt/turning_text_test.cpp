// The labels that turn every second are drawn from the glyphs laid out for them the second
// before, their digits swapped: what they show must be, pixel for pixel, what QLabel paints.

#include "colors.h"
#include "events/frmEventTimers.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"
#include "qt/turning_text.h"
#include "support/app_fixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

namespace orvane::test {
namespace {

// A label drawn as the program's labels are: by TurningText where it can, by QLabel elsewhere.
class TurningLabel final : public QLabel {
  public:
    using QLabel::QLabel;
    void turnTo(const QString& text) { setText(text); }
    TurningText turning;

  protected:
    void paintEvent(QPaintEvent* event) override {
        if (!turning.prepare(*this)) {
            QLabel::paintEvent(event);
            return;
        }
        ++drawnHere;
        QPainter painter(this);
        drawFrame(&painter);
        turning.draw(painter, *this, event->rect());
    }

  public:
    int drawnHere = 0;
};

// What QLabel itself paints for TEXT in a label set up as LIKE.
QImage asQLabelPaints(const QLabel& like, const QString& text) {
    QLabel twin(like.parentWidget());
    twin.setTextFormat(like.textFormat());
    twin.setFont(like.font());
    twin.setPalette(like.palette());
    // The program's labels fill their back colour in their own paint, as opaque widgets.
    twin.setAutoFillBackground(like.autoFillBackground() ||
                               like.testAttribute(Qt::WA_OpaquePaintEvent));
    twin.setAlignment(like.alignment());
    twin.setFrameStyle(like.frameStyle());
    twin.setLineWidth(like.lineWidth());
    twin.setIndent(like.indent());
    twin.setMargin(like.margin());
    twin.setWordWrap(like.wordWrap());
    twin.setEnabled(like.isEnabled());
    twin.setGeometry(like.geometry());
    twin.setText(text);
    return twin.grab().toImage();
}

QImage shown(QLabel& label) {
    return label.grab().toImage();
}

// A label that turns from the text it shows to NOW is painted again only in the area its turn
// names: what QLabel paints for NOW must differ from what it showed nowhere else, and the
// label painted in that area alone must show there what QLabel paints.
void expectTurnConfined(TurningLabel& label, const QString& now) {
    const QString old = label.text();
    const std::optional<QRect> area = label.turning.changedArea(label, old, now);
    if (!area)
        return;
    const QImage before = asQLabelPaints(label, old), after = asQLabelPaints(label, now);
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x)
            if (!area->contains(x, y) && before.pixel(x, y) != after.pixel(x, y)) {
                ADD_FAILURE() << "the turn to " << now.toStdString() << " changes (" << x << ", "
                              << y << ") outside its area";
                return;
            }
    label.setAttribute(Qt::WA_UpdatesDisabled, true);
    label.turnTo(now);
    label.setAttribute(Qt::WA_UpdatesDisabled, false);
    QImage painted = before;
    // The region rendered lands at the offset given.
    label.render(&painted, area->topLeft(), QRegion(*area));
    EXPECT_EQ(painted, after) << "painted in " << area->x() << "+" << area->width();
}

struct Look {
    const char* family;
    int pixels;
    bool bold;
    Qt::Alignment align;
    QFrame::Shape frame;
    QSize size;
};

// Counts as the program shows them, in the faces, sizes and places it shows them in.
TEST(TurningText, ACountTurningSecondBySecondShowsWhatQLabelPaints) {
    const std::vector<Look> looks = {
        {"DejaVu Sans", 13, false, Qt::AlignLeft | Qt::AlignVCenter, QFrame::NoFrame, {120, 20}},
        {"DejaVu Sans", 13, true, Qt::AlignRight | Qt::AlignTop, QFrame::Box, {121, 23}},
        // A framed box as tight as a status bar's panel: the line is taller than the inside.
        {"DejaVu Sans", 13, false, Qt::AlignLeft | Qt::AlignVCenter, QFrame::Box, {120, 17}},
        {"DejaVu Sans Mono",
         40,
         true,
         Qt::AlignHCenter | Qt::AlignVCenter,
         QFrame::NoFrame,
         {97, 61}},
        {"DejaVu Serif", 27, false, Qt::AlignHCenter | Qt::AlignTop, QFrame::Box, {211, 39}},
    };
    const std::vector<QString> counts = {"- 0/01:59:59", "- 0/01:59:58", "- 0/01:59:50",
                                         "- 0/01:09:41", "- 0/00:00:00", "+ 0/00:00:01",
                                         "+ 0/00:00:02", "+ 12/23:47:11"};
    QWidget window;
    window.resize(400, 200);
    for (const Look& look : looks) {
        SCOPED_TRACE(std::string(look.family) + " " + std::to_string(look.pixels));
        TurningLabel label(&window);
        label.setTextFormat(Qt::PlainText);
        QFont font(look.family);
        font.setPixelSize(look.pixels);
        font.setBold(look.bold);
        label.setFont(font);
        label.setAlignment(look.align);
        label.setFrameStyle(look.frame | QFrame::Plain);
        label.setAutoFillBackground(true);
        label.setGeometry(QRect(QPoint(7, 5), look.size));
        window.show();
        int swapped = 0;
        for (const QString& count : counts) {
            SCOPED_TRACE(count.toStdString());
            expectTurnConfined(label, count);
            label.turnTo(count);
            const QImage image = shown(label);
            swapped += label.turning.swapped();
            EXPECT_EQ(image, asQLabelPaints(label, count));
        }
        // A first text of a shape is QLabel's, the second laid out, the ones after it swaps;
        // the sign's and the days' turns are new shapes.
        EXPECT_EQ(swapped, 3);
        EXPECT_GE(label.drawnHere, 5);

        // Moved, resized or in another face, the text is laid out again before a swap.
        label.turnTo("+ 12/23:47:12");
        EXPECT_EQ(shown(label), asQLabelPaints(label, "+ 12/23:47:12"));
        label.setGeometry(QRect(QPoint(9, 8), look.size + QSize(6, 3)));
        label.turnTo("+ 12/23:47:13");
        EXPECT_EQ(shown(label), asQLabelPaints(label, "+ 12/23:47:13"));
        EXPECT_FALSE(label.turning.swapped());
        font.setPixelSize(look.pixels + 3);
        label.setFont(font);
        label.turnTo("+ 12/23:47:14");
        EXPECT_EQ(shown(label), asQLabelPaints(label, "+ 12/23:47:14"));
        EXPECT_FALSE(label.turning.swapped());
        label.turnTo("+ 12/23:47:15");
        EXPECT_EQ(shown(label), asQLabelPaints(label, "+ 12/23:47:15"));
        EXPECT_TRUE(label.turning.swapped());
    }
}

// Text the turning text does not draw is QLabel's: letters beyond ASCII, several lines, a
// disabled label, and a text that changes more than its digits.
TEST(TurningText, TextItDoesNotDrawIsLeftToQLabel) {
    QWidget window;
    window.resize(300, 100);
    TurningLabel label(&window);
    label.setTextFormat(Qt::PlainText);
    label.setGeometry(10, 10, 200, 40);
    window.show();
    for (const QString& text : {QStringLiteral("Zündung 10"), QStringLiteral("Zündung 11"),
                                QStringLiteral("Zündung 12")}) {
        label.turnTo(text);
        EXPECT_EQ(shown(label), asQLabelPaints(label, text));
    }
    label.turnTo("T - 10");
    label.turnTo("T - 11");
    label.setEnabled(false);
    EXPECT_EQ(shown(label), asQLabelPaints(label, "T - 11"));
    label.setEnabled(true);
    label.turnTo("Hold 12");
    EXPECT_FALSE(label.turning.swapped());
    EXPECT_EQ(shown(label), asQLabelPaints(label, "Hold 12"));
    EXPECT_EQ(label.drawnHere, 0) << "nothing here was the turning text's to draw";
    label.turnTo("Hold 13");
    EXPECT_EQ(shown(label), asQLabelPaints(label, "Hold 13"));
    EXPECT_EQ(label.drawnHere, 1);
}

// A digit where the text laid out had a sign or a space is a new shape, not a digit turned: the
// glyphs after it move.
TEST(TurningText, ADigitInPlaceOfAnotherCharacterIsANewShape) {
    EXPECT_TRUE(TurningText::hasPattern("- 0/01:59:58", "- 0/00:00:00"));
    EXPECT_FALSE(TurningText::hasPattern("- 0/01:59:5", "- 0/00:00:00"));
    EXPECT_FALSE(TurningText::hasPattern("- 1/01:59:58", "- 0/00:00:0:"));
    EXPECT_FALSE(TurningText::hasPattern("1 0/01:59:58", "- 0/00:00:00"));
    QWidget window;
    window.resize(300, 100);
    TurningLabel label(&window);
    label.setTextFormat(Qt::PlainText);
    label.setGeometry(10, 10, 200, 40);
    window.show();
    for (const QString& text : {QStringLiteral("T - 10"), QStringLiteral("T - 11"),
                                QStringLiteral("T - 12"), QStringLiteral("T 1 12")}) {
        SCOPED_TRACE(text.toStdString());
        label.turnTo(text);
        EXPECT_EQ(shown(label), asQLabelPaints(label, text));
    }
    EXPECT_FALSE(label.turning.swapped());
}

// A label that wraps its words, as the launch time on the main window does, turns as the others
// while its text stands on one line; once the text wraps, QLabel draws it.
TEST(TurningText, AWrappingLabelTurnsWhileItsTextStandsOnOneLine) {
    QWidget window;
    window.resize(420, 200);
    TurningLabel label(&window);
    label.setTextFormat(Qt::PlainText);
    label.setWordWrap(true);
    label.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label.setFrameStyle(QFrame::Box | QFrame::Plain);
    QFont font("DejaVu Sans");
    font.setPixelSize(17);
    font.setBold(true);
    label.setFont(font);
    label.setGeometry(10, 10, 380, 40);
    window.show();
    for (const QString& text : {QStringLiteral("December 8, 2026   11:34:41 AM"),
                                QStringLiteral("December 8, 2026   11:34:42 AM"),
                                QStringLiteral("December 8, 2026   11:34:43 AM"),
                                QStringLiteral("December 8, 2026   11:34:50 AM")}) {
        SCOPED_TRACE(text.toStdString());
        expectTurnConfined(label, text);
        label.turnTo(text);
        EXPECT_EQ(shown(label), asQLabelPaints(label, text));
    }
    EXPECT_TRUE(label.turning.swapped());
    EXPECT_GE(label.drawnHere, 3);
    const int drawn = label.drawnHere;

    // Too narrow for one line: the text wraps, and QLabel draws every second of it.
    label.setGeometry(10, 10, 150, 80);
    for (const QString& text : {QStringLiteral("December 8, 2026   11:34:51 AM"),
                                QStringLiteral("December 8, 2026   11:34:52 AM"),
                                QStringLiteral("December 8, 2026   11:34:53 AM")}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_FALSE(label.turning.changedArea(label, label.text(), text));
        label.turnTo(text);
        EXPECT_EQ(shown(label), asQLabelPaints(label, text));
    }
    EXPECT_EQ(label.drawnHere, drawn);
}

class TurningWindowsTest : public AppTest {
  protected:
    TurningWindowsTest() : view(app) { app.setObserver(&view); }
    ~TurningWindowsTest() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QtView view;
};

// The main count and the board as they run: every label of both windows shows, second after
// second, what QLabel paints for its text.
TEST_F(TurningWindowsTest, TheCountAndTheBoardShowWhatQLabelPaintsAsTheyRun) {
    clockAt("2001-05-03 10:00:00");
    startAndSettle();
    frmEventTimers& board = app.frmEventTimers();
    board.DefineEvent(0, "Fuel", "-", 600);
    board.DefineEvent(1, "Arm", "-", 7);
    board.DefineEvent(2, "Orbit", "+", 3600);
    ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    for (int second = 0; second < 4; ++second) {
        advance(1s);
        QCoreApplication::processEvents();
        for (Form* form : {static_cast<Form*>(&main()), static_cast<Form*>(&board)})
            for (Control* c : form->controls()) {
                if (c->kind() != Kind::Label)
                    continue;
                auto* label = qobject_cast<QLabel*>(view.widget(*c));
                if (!label || !label->isVisible())
                    continue;
                // A row below the window's edge takes its text when painted.
                const QString caption = qstr(static_cast<Label*>(c)->caption());
                SCOPED_TRACE(form->name() + "." + c->name() + " " + caption.toStdString());
                EXPECT_EQ(shown(*label), asQLabelPaints(*label, caption));
            }
    }
}

// The board's rows as a room sees them: every second each row's count turns once, in the round
// the second turns, to the second's count (none skipped, none shown twice), and is painted so;
// a row's colour changes in the same round as its count enters the last ten minutes or the
// last minute; and a row whose moment comes counts up from zero at once.
TEST_F(TurningWindowsTest, EachRowTurnsOnceASecondInTheRoundItsSecondComes) {
    clockAt("2001-05-03 10:00:00");
    startAndSettle();
    frmEventTimers& board = app.frmEventTimers();
    const std::int64_t toLaunch = main().TminusSec();
    ASSERT_GT(toLaunch, 700);
    // Seconds ahead of each row's moment now: its moment comes, it enters the last minute, it
    // enters the last ten minutes, and one that stays well ahead.
    const std::int64_t ahead[4] = {3, 62, 602, 650};
    const char* names[4] = {"Arm", "Vent", "Fuel", "Poll"};
    for (int n = 0; n < 4; ++n)
        board.DefineEvent(n, names[n], "-", toLaunch - ahead[n]);
    ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    QCoreApplication::processEvents();
    const auto twoDigits = [](std::int64_t v) {
        return std::string(v < 10 ? "0" : "") + std::to_string(v);
    };
    const auto countFor = [&](std::int64_t left) {
        const std::int64_t s = left < 0 ? -left : left;
        return std::string(left > 0 ? "- 0/   " : "+ 0/   ") + twoDigits(s / 3600) + ":" +
               twoDigits(s / 60 % 60) + ":" + twoDigits(s % 60);
    };
    const auto colourFor = [](std::int64_t left) {
        return toQColor(left <= 0 || left > 600 ? ButtonFace : left > 60 ? PaleYellow : Yellow);
    };
    for (std::int64_t second = 1; second <= 6; ++second) {
        advance(1s);
        // Set in the round itself, before anything else happens or is painted.
        for (int n = 0; n < 4; ++n) {
            const std::int64_t left = ahead[n] - second;
            SCOPED_TRACE(std::string(names[n]) + " at " + std::to_string(left));
            auto* time = qobject_cast<QLabel*>(view.widget(board.control<Label>("lblTime", n)));
            QWidget* panel = view.widget(board.control<PictureBox>("pctEvent", n));
            ASSERT_TRUE(time && panel);
            EXPECT_EQ(time->text().toStdString(), countFor(left));
            EXPECT_EQ(panel->palette().color(QPalette::Window), colourFor(left));
        }
        QCoreApplication::processEvents();
        for (int n = 0; n < 4; ++n) {
            auto* time = qobject_cast<QLabel*>(view.widget(board.control<Label>("lblTime", n)));
            SCOPED_TRACE(std::string(names[n]) + " painted");
            EXPECT_EQ(shown(*time), asQLabelPaints(*time, time->text()));
        }
    }
    // In a hold the rows ahead stand, and the row counting up turns on in each round.
    ASSERT_TRUE(click(main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    auto* arm = qobject_cast<QLabel*>(view.widget(board.control<Label>("lblTime", 0)));
    auto* vent = qobject_cast<QLabel*>(view.widget(board.control<Label>("lblTime", 1)));
    for (std::int64_t second = 7; second <= 9; ++second) {
        advance(1s);
        EXPECT_EQ(arm->text().toStdString(), countFor(ahead[0] - second));
        EXPECT_EQ(vent->text().toStdString(), countFor(ahead[1] - 6));
    }
}

// A row scrolled below the board's last place keeps counting, and shows its count as soon as
// it is scrolled back into sight; out of sight its label is left alone, since a new text costs
// as much as the row's arithmetic and nobody can see it.
TEST_F(TurningWindowsTest, ARowOutOfSightShowsItsCountWhenScrolledBackIntoSight) {
    clockAt("2001-05-03 10:00:00");
    startAndSettle();
    frmEventTimers& board = app.frmEventTimers();
    for (int n = 0; n < 10; ++n)
        board.DefineEvent(n, "Event " + std::to_string(n + 1), "-", 600 + 60 * n);
    ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    QCoreApplication::processEvents();
    const Label& seventh = board.control<Label>("lblTime", 6);
    auto* below = qobject_cast<QLabel*>(view.widget(seventh));
    auto* sixth = qobject_cast<QLabel*>(view.widget(board.control<Label>("lblTime", 5)));
    ASSERT_TRUE(below && sixth);
    ASSERT_TRUE(below->isVisible()) << "the row is shown, below the window's edge";
    const QString before = below->text();
    for (int second = 0; second < 3; ++second) {
        advance(1s);
        QCoreApplication::processEvents();
        // The row in the last place shown turns as ever; the one below it is left alone.
        EXPECT_EQ(sixth->text().toStdString(), board.control<Label>("lblTime", 5).caption());
        EXPECT_EQ(below->text(), before);
    }
    EXPECT_NE(seventh.caption(), before.toStdString()) << "the row counts out of sight";

    // Scrolled up a place, the row stands in the last place, with the count of this second.
    ASSERT_TRUE(click(board.control<CommandButton>("cmdDown")));
    QCoreApplication::processEvents();
    const QRect inWindow(below->mapTo(below->window(), QPoint()), below->size());
    ASSERT_TRUE(below->window()->rect().contains(inWindow));
    EXPECT_EQ(below->text().toStdString(), seventh.caption());
    const QImage window = below->window()->grab().toImage();
    EXPECT_EQ(window.copy(inWindow), asQLabelPaints(*below, qstr(seventh.caption())));
    // And turns with the others from then on.
    advance(1s);
    EXPECT_EQ(below->text().toStdString(), seventh.caption());
}

// At the turn of a second the main count is painted before the board's rows take their new
// texts, which come after it; nor do they wait behind a message box the round opens.
TEST_F(TurningWindowsTest, TheCountIsPaintedFirstAndTheBoardsRowsFollow) {
    clockAt("2001-05-03 10:00:00");
    startAndSettle();
    frmEventTimers& board = app.frmEventTimers();
    board.DefineEvent(0, "Fuel", "-", 600);
    ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    QCoreApplication::processEvents();
    const Label& row = board.control<Label>("lblTime", 0);
    auto* rowLabel = qobject_cast<QLabel*>(view.widget(row));
    auto* seconds = qobject_cast<QLabel*>(view.widget(main().control<Label>("lblSeconds")));
    ASSERT_TRUE(rowLabel && seconds);
    const auto secondShown = [&] {
        return seconds->text().toStdString() == main().control<Label>("lblSeconds").caption();
    };

    for (int turn = 0; turn < 2; ++turn) {
        const QString before = rowLabel->text();
        view.showFirst({&main()});
        advance(1s);
        EXPECT_TRUE(secondShown());
        EXPECT_NE(row.caption(), before.toStdString()) << "the row counts in the round";
        EXPECT_EQ(rowLabel->text(), before) << "the row's label waits for the count";
        if (turn == 0) {
            view.showOthers();
        } else {
            // A message box's loop, about to wait for the user, lets the row show first.
            QTimer::singleShot(0, [] {});
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        EXPECT_EQ(rowLabel->text().toStdString(), row.caption());
    }
}

// The date in the status bar turns every second as the count does: each second shows once,
// drawn as QLabel draws it, and nothing is laid out again for it (its panels keep their sizes,
// so measuring every panel's text each second would change nothing).
TEST_F(TurningWindowsTest, TheStatusBarDateShowsEachSecondWithoutLayingOutTheBar) {
    // More than an hour before launch, where no indicator blinks (a control shown or hidden
    // does ask its window to lay out).
    clockAt("2001-05-03 08:00:00");
    startAndSettle();
    StatusBar& bar = main().control<StatusBar>("sbrStatusBar");
    auto* date = qobject_cast<QLabel*>(view.widget(*bar.panel("pnlCurrentDate")));
    QWidget* strip = view.widget(bar);
    ASSERT_TRUE(date && strip);
    // The full screen, which shows the status bar, on the screen as the user has it.
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    date->window()->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(date->isVisible());

    struct LayoutRequests : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            count += e->type() == QEvent::LayoutRequest;
            return false;
        }
    } requests;
    // Nor is the window under the count, nor a row of the board, though nothing there is laid
    // out: a label of free size asks for it at each new text.
    QWidget* underCount = view.widget(main().control<Label>("lblSeconds"))->parentWidget();
    frmEventTimers& board = app.frmEventTimers();
    board.DefineEvent(0, "Fuel", "-", 600);
    ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    QCoreApplication::processEvents();
    QWidget* underRow = view.widget(board.control<Label>("lblTime", 0))->parentWidget();
    ASSERT_TRUE(underRow->isVisible());
    for (QWidget* w : {strip, underCount, underRow})
        w->installEventFilter(&requests);
    // Where the date is painted again each second: only its digits' turned places, inside its
    // sunken frame, which stays as it was drawn (a frame drawn each second costs as much as the
    // digits).
    struct Paints : QObject {
        std::vector<QRect> areas;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                areas.push_back(static_cast<QPaintEvent*>(e)->rect());
            return false;
        }
    } paints;
    date->installEventFilter(&paints);
    ASSERT_NE(date->frameShape(), QFrame::NoFrame);
    // The panels fill the bar's height, as the bar laid out gives them.
    const QMargins margins = strip->layout()->contentsMargins();
    EXPECT_EQ(date->height(), strip->height() - margins.top() - margins.bottom());
    const QRect place = date->geometry();
    std::string before = date->text().toStdString();
    std::vector<std::pair<QString, QImage>> seen;
    for (int second = 0; second < 4; ++second) {
        requests.count = 0;
        advance(1s);
        QCoreApplication::processEvents();
        EXPECT_EQ(requests.count, 0) << "laid out again for a new second";
        const std::string text =
            formatDate(app.services().clock.now(), "mmm d, yyyy  h:mm:ss AM/PM");
        ASSERT_EQ(date->text().toStdString(), text);
        EXPECT_NE(text, before) << "a second shown twice";
        before = text;
        EXPECT_EQ(date->geometry(), place) << text;
        date->removeEventFilter(&paints);
        seen.emplace_back(date->text(), shown(*date));
        date->installEventFilter(&paints);
    }
    for (QWidget* w : {strip, underCount, underRow})
        w->removeEventFilter(&requests);
    date->removeEventFilter(&paints);
    // The first second lays the text out; those after it swap digits.
    ASSERT_EQ(paints.areas.size(), 4u);
    for (std::size_t n = 1; n < paints.areas.size(); ++n)
        EXPECT_TRUE(date->contentsRect().contains(paints.areas[n]))
            << "second " << n << ": painted " << paints.areas[n].y() << "+"
            << paints.areas[n].height() << " of " << date->height();
    // Drawn as QLabel draws each text (its twin, put in the bar, makes the bar lay out).
    for (const auto& [text, image] : seen)
        EXPECT_EQ(image, asQLabelPaints(*date, text)) << text.toStdString();
}

} // namespace
} // namespace orvane::test
