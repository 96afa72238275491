// How the view renders each kind of control and hands input back, on a window made for the
// purpose rather than one of the program's.

#include "app.h"
#include "doubles/fake_services.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::test {
namespace {

class frmSample : public Form {
  public:
    explicit frmSample(Services& s) : Form(s, "frmSample") {
        setCaption("Sample");
        setBackColor(0x8080FF);
        move(0, 0, 6000, 4500);
        lblNote.setCaption("Fuel & oxidiser");
        lblNote.move(120, 120, 3000, 300);
        fraChoice.setCaption("Choice");
        fraChoice.move(120, 600, 3000, 1500);
        for (int i = 0; i < 2; ++i) {
            optPick[i].setContainer(&fraChoice);
            optPick[i].setCaption("Pick " + std::to_string(i));
            optPick[i].move(120, 300 + 400 * i, 2000, 300);
        }
        chkArmed.setCaption("&Armed");
        chkArmed.move(3300, 120, 2000, 300);
        cmdCancel.setCaption("Cancel");
        cmdCancel.setCancel(true);
        cmdCancel.move(3300, 600, 1500, 400);
        cmdGo.setCaption("&Go");
        cmdGo.move(3300, 1100, 1500, 400);
        txtName.move(120, 2200, 2000, 300);
        mnuView.setVisible(false);
        sbrBar.addPanel("pnlLeft", 1500, "left");
        sbrBar.addPanel("pnlRight", 1500, "right");
        sbrBar.setHeight(330);

        auto record = [this](std::string what) { return [this, what] { heard.push_back(what); }; };
        onKeyPress = [this](int code) { heard.push_back("key " + std::to_string(code)); };
        onMouseUp = [this](MouseButton) { heard.push_back("form up"); };
        cmdGo.onMouseUp = [this](MouseButton b) {
            heard.push_back(b == MouseButton::Right ? "go right-up" : "go up");
        };
        cmdGo.onClick = record("go");
        cmdCancel.onClick = record("cancel");
        lblNote.onClick = record("note");
        mnuGrid.onClick = [this] { mnuGrid.setChecked(!mnuGrid.checked()); };
        sbrBar.panel("pnlRight")->onDblClick = record("panel");
    }

    Label lblNote{this, "lblNote"};
    Frame fraChoice{this, "fraChoice"};
    std::array<OptionButton, 2> optPick = makeArray<OptionButton, 2>(this, "optPick");
    CheckBox chkArmed{this, "chkArmed"};
    CommandButton cmdCancel{this, "cmdCancel"};
    CommandButton cmdGo{this, "cmdGo"};
    TextBox txtName{this, "txtName"};
    MenuItem mnuView{this, "mnuView", nullptr, "&View"};
    MenuItem mnuGrid{this, "mnuGrid", &mnuView, "&Grid", "Ctrl+G"};
    StatusBar sbrBar{this, "sbrBar"};
    std::vector<std::string> heard;
};

class QtControlsTest : public ::testing::Test {
  protected:
    QtControlsTest() {
        view.formLoaded(form);
        form.show();
        top = view.window(form);
    }
    ~QtControlsTest() override {
        view.formUnloaded(form);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Check boxes and option buttons take clicks on their box and caption only.
    static void clickBox(QWidget* w) {
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(8, w->height() / 2));
    }
    template <class W = QWidget> W* find(const char* name) {
        return top->findChild<W*>(QString::fromLatin1(name));
    }

    FakeWorld world;
    App app{world.services};
    QtView view{app};
    frmSample form{world.services};
    QWidget* top = nullptr;
};

// A control in the system button face once took the window's colour instead, because the
// two palettes happened to agree when the control was drawn first.
TEST_F(QtControlsTest, LabelsShowAmpersandsAsTypedOnTheButtonFace_AndClickOnRelease) {
    auto* note = find<QLabel>("lblNote");
    ASSERT_TRUE(note);
    EXPECT_EQ(note->text(), "Fuel & oxidiser");
    EXPECT_EQ(note->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(find("optPick(0)")->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Button));
    QTest::mouseClick(note, Qt::LeftButton);
    EXPECT_EQ(form.heard, (std::vector<std::string>{"note"}));
}

// On the wizard's coloured T page the option buttons once showed a lighter patch of the
// button colour behind them, and the frame's caption sat on a coloured band above its border.
TEST_F(QtControlsTest, AColoredFrameShowsItsColorBehindItsButtons_WithTheBorderThroughItsCaption) {
    const QColor paleRed(0xFF, 0xC0, 0xC0);
    form.fraChoice.setBackColor(0xC0C0FF);
    for (auto& option : form.optPick)
        option.setBackColor(0xC0C0FF);
    auto* frame = find("fraChoice");
    auto* option = find("optPick(0)");
    const QImage shot = frame->grab().toImage();
    const QPoint besideCaption = option->mapTo(frame, QPoint(option->width() - 3, 2));
    EXPECT_EQ(shot.pixelColor(besideCaption), paleRed)
        << "the button is drawn on the frame's colour";

    const int x = shot.width() / 2;
    int border = 0;
    while (border < shot.height() && shot.pixelColor(x, border) == paleRed)
        ++border;
    EXPECT_LE(border, QFontMetrics(frame->font()).height() / 2 + 1)
        << "the top border runs through the caption's middle";
}

TEST_F(QtControlsTest, CheckBoxesAndOptionButtonsFollowTheControls) {
    auto* armed = find<QCheckBox>("chkArmed");
    clickBox(armed);
    EXPECT_EQ(form.chkArmed.value(), 1);
    EXPECT_TRUE(armed->isChecked());

    auto* first = find<QRadioButton>("optPick(0)");
    auto* second = find<QRadioButton>("optPick(1)");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->parentWidget(), find<FrameWidget>("fraChoice"));
    clickBox(first);
    clickBox(second);
    EXPECT_FALSE(first->isChecked()) << "the group lets only one be selected";
    EXPECT_TRUE(second->isChecked());
    // Clicking the selected one again leaves it selected.
    clickBox(second);
    EXPECT_TRUE(second->isChecked());
    EXPECT_TRUE(form.optPick[1].value());
}

TEST_F(QtControlsTest, ADisabledContainerRefusesInputToWhatItHolds) {
    form.fraChoice.setEnabled(false);
    clickBox(find("optPick(0)"));
    EXPECT_FALSE(form.optPick[0].value());
}

// A disabled window was once drawn all greyed out, because Qt greys what a disabled widget
// holds; the main window looked broken for as long as the splash was up.
TEST_F(QtControlsTest, ADisabledWindowRefusesMouseKeysMenusAndShortcuts_YetKeepsItsLook) {
    form.mnuView.setVisible(true);
    top->activateWindow();
    QApplication::setActiveWindow(top);
    QTest::keyClick(top, Qt::Key_G, Qt::ControlModifier);
    ASSERT_TRUE(form.mnuGrid.checked()) << "the shortcut works while the window takes input";

    form.setEnabled(false);
    auto* go = find<QPushButton>("cmdGo");
    QTest::mousePress(go, Qt::LeftButton);
    EXPECT_FALSE(go->isDown()) << "the button does not even go down";
    QTest::mouseRelease(go, Qt::LeftButton);
    QTest::mouseClick(find("lblNote"), Qt::LeftButton);
    QTest::keyClick(top->windowHandle(), Qt::Key_Escape);
    QTest::keyClick(top->windowHandle(), Qt::Key_Q);
    QTest::keyClick(top, Qt::Key_G, Qt::ControlModifier);
    QTest::keyClick(top, Qt::Key_A, Qt::AltModifier);
    QTest::mouseClick(top->findChild<QMenuBar*>(), Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_TRUE(form.heard.empty());
    EXPECT_TRUE(form.mnuGrid.checked());
    EXPECT_EQ(form.chkArmed.value(), 0);
    EXPECT_FALSE(QApplication::activePopupWidget()) << "the menu did not open";

    for (const char* name : {"cmdGo", "lblNote", "chkArmed", "optPick(1)", "fraChoice"})
        EXPECT_TRUE(find(name)->isEnabled()) << name << " is not greyed";
    // A control disabled by itself still greys, as ever.
    form.cmdGo.setEnabled(false);
    EXPECT_FALSE(find("cmdGo")->isEnabled());

    form.setEnabled(true);
    QTest::mouseClick(find("lblNote"), Qt::LeftButton);
    EXPECT_EQ(form.heard, (std::vector<std::string>{"note"}));
}

// A menu left open when its window is disabled could never be closed: the clicks and keys
// that close it would be refused with the rest of the window's input.
TEST_F(QtControlsTest, DisablingAWindowClosesItsOpenMenu) {
    form.mnuView.setVisible(true);
    QMenu* menu = view.menu(form.mnuView);
    ASSERT_TRUE(menu);
    menu->popup(top->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(menu->isVisible());
    form.setEnabled(false);
    EXPECT_FALSE(menu->isVisible());
}

// A right click on a button must not reach the window as well: the program would pop its
// menu up twice.
TEST_F(QtControlsTest, ARightClickOnAButtonIsTheButtonsAlone) {
    QTest::mouseClick(find("cmdGo"), Qt::RightButton);
    EXPECT_EQ(form.heard, (std::vector<std::string>{"go right-up"}));
    form.heard.clear();
    QTest::mouseClick(find("cmdGo"), Qt::LeftButton);
    EXPECT_EQ(form.heard, (std::vector<std::string>{"go up", "go"}));
}

TEST_F(QtControlsTest, EscPressesTheCancelButton_OtherKeysReachTheWindow) {
    QTest::keyClick(top->windowHandle(), Qt::Key_Escape);
    QTest::keyClick(top->windowHandle(), Qt::Key_Q);
    QTest::keyClick(top->windowHandle(), Qt::Key_Return);
    EXPECT_EQ(form.heard, (std::vector<std::string>{"cancel", "key 113", "key 13"}));
}

// What a window changes in the look of a shown control shows at once, not with the control's
// next caption or text.
TEST_F(QtControlsTest, LookChangesToAShownControlShowAtOnce) {
    auto* note = find<QLabel>("lblNote");
    form.lblNote.setAlignment(Align::Right);
    form.lblNote.setWordWrap(false);
    form.lblNote.setTransparent(true);
    EXPECT_EQ(note->alignment(), Qt::AlignRight | Qt::AlignTop);
    EXPECT_FALSE(note->wordWrap());
    EXPECT_FALSE(note->autoFillBackground()) << "the window shows through";
    EXPECT_EQ(note->text(), "Fuel & oxidiser");

    auto* name = find<QLineEdit>("txtName");
    form.txtName.setLocked(true);
    form.txtName.setAlignment(Align::Center);
    EXPECT_TRUE(name->isReadOnly());
    EXPECT_EQ(name->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);

    form.cmdGo.setDefault(true);
    EXPECT_TRUE(find<QPushButton>("cmdGo")->isDefault());
    QTest::keyClick(top->windowHandle(), Qt::Key_Return);
    EXPECT_EQ(form.heard, (std::vector<std::string>{"go"})) << "Enter presses the default button";
}

TEST_F(QtControlsTest, TheMenuBarShowsOnlyWithAVisibleMenu_WithChecksAndShortcuts) {
    auto* bar = top->findChild<QMenuBar*>();
    EXPECT_FALSE(bar->isVisible());
    auto* client = view.widget(form);
    EXPECT_EQ(client->y(), 0);

    form.mnuView.setVisible(true);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(client->y(), bar->height()) << "controls sit below the menu bar";
    QAction* grid = view.action(form.mnuGrid);
    ASSERT_TRUE(grid);
    EXPECT_EQ(grid->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
    EXPECT_FALSE(grid->isChecked());
    grid->trigger();
    EXPECT_TRUE(form.mnuGrid.checked());
    EXPECT_TRUE(grid->isChecked());
    grid->trigger();
    EXPECT_FALSE(grid->isChecked());
}

TEST_F(QtControlsTest, TheStatusBarIsDockedAtTheBottom_AndItsPanelsTakeDoubleClicks) {
    auto* strip = find("sbrBar");
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->geometry(), QRect(0, 300 - 22, 400, 22));
    auto* left = find<QLabel>("sbrBar(pnlLeft)");
    auto* right = find<QLabel>("sbrBar(pnlRight)");
    EXPECT_EQ(left->text(), "left");
    EXPECT_EQ(left->width(), 100);
    EXPECT_GT(right->width(), 200) << "the last panel takes the rest";
    QTest::mouseDClick(right, Qt::LeftButton);
    EXPECT_EQ(form.heard, (std::vector<std::string>{"panel"}));
}

} // namespace
} // namespace orvane::test
