// The labels that turn every second are drawn from the glyphs laid out for them the second
// before, their digits swapped: what they show must be, pixel for pixel, what QLabel paints.

#include "events/frmEventTimers.h"
#include "qt/qt_view.h"
#include "qt/turning_text.h"
#include "support/app_fixture.h"

#include <QCoreApplication>
#include <QFont>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
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
    twin.setAutoFillBackground(like.autoFillBackground());
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
                SCOPED_TRACE(form->name() + "." + c->name() + " " + label->text().toStdString());
                EXPECT_EQ(shown(*label), asQLabelPaints(*label, label->text()));
            }
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
        seen.emplace_back(date->text(), shown(*date));
    }
    for (QWidget* w : {strip, underCount, underRow})
        w->removeEventFilter(&requests);
    // Drawn as QLabel draws each text (its twin, put in the bar, makes the bar lay out).
    for (const auto& [text, image] : seen)
        EXPECT_EQ(image, asQLabelPaints(*date, text)) << text.toStdString();
}

} // namespace
} // namespace orvane::test
