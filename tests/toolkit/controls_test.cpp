#include "toolkit/controls.h"
#include "doubles/fake_services.h"
#include "toolkit/form.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvane {
namespace {

struct Recorder : ControlObserver {
    std::vector<std::pair<std::string, Prop>> changes;
    void controlChanged(Control& c, Prop p) override { changes.emplace_back(c.displayName(), p); }
};

class TestForm : public Form {
  public:
    explicit TestForm(Services& s) : Form(s, "frmTest") {}
    Label lblA{this, "lblA"};
    PictureBox pctLeft{this, "pctLeft"};
    PictureBox pctRight{this, "pctRight"};
    std::array<OptionButton, 3> optLeft = makeArray<OptionButton, 3>(this, "optLeft");
    OptionButton optRight{this, "optRight"};
    CheckBox chkA{this, "chkA"};
    ScrollBar vsbA{this, "vsbA"};
    TextBox txtA{this, "txtA"};
    MenuItem mnuTop{this, "mnuTop", nullptr, "&Top"};
    MenuItem mnuItem{this, "mnuItem", &mnuTop, "Item"};
    StatusBar sbr{this, "sbr"};
    CommandButton cmdA{this, "cmdA"};
    Frame fraA{this, "fraA"};
    Shape shpA{this, "shpA"};
    Timer tmrA{this, "tmrA", 1000, false};
    Calendar calA{this, "calA"};
};

class ControlsTest : public ::testing::Test {
  protected:
    ControlsTest() {
        for (auto& o : form.optLeft)
            o.setContainer(&form.pctLeft);
        form.optRight.setContainer(&form.pctRight);
    }
    FakeWorld world;
    TestForm form{world.services};
};

TEST_F(ControlsTest, ALabelsChangeRunsOncePerNewCaption) {
    int changes = 0;
    form.lblA.onChange = [&] { ++changes; };
    Recorder view;
    form.lblA.setObserver(&view);
    form.lblA.setCaption("01");
    form.lblA.setCaption("01");
    form.lblA.setCaption("02");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(view.changes.size(), 2u);
}

TEST_F(ControlsTest, SelectingAnOptionDeselectsOnlyItsOwnGroup) {
    std::vector<int> clicks;
    for (int i = 0; i < 3; ++i)
        form.optLeft[i].onClick = [&, i] { clicks.push_back(i); };
    form.optRight.setValue(true);
    form.optLeft[0].click();
    form.optLeft[2].click();
    EXPECT_FALSE(form.optLeft[0].value());
    EXPECT_TRUE(form.optLeft[2].value());
    EXPECT_TRUE(form.optRight.value()) << "another container's group is untouched";
    EXPECT_EQ(clicks, (std::vector<int>{0, 2}));
    // Deselecting by code runs no event.
    form.optLeft[2].setValue(false);
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(ControlsTest, ACheckBoxClickToggles_AndAssigningItsValueRunsItsClick) {
    int clicks = 0;
    form.chkA.onClick = [&] { ++clicks; };
    form.chkA.click();
    EXPECT_EQ(form.chkA.value(), 1);
    form.chkA.setValue(1);
    EXPECT_EQ(clicks, 1) << "the same value is no change";
    ASSERT_TRUE(form.chkA.setProperty("Value", "0").ok);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, AScrollBarKeepsToItsRange) {
    form.vsbA.setRange(0, 59);
    form.vsbA.setValue(75);
    EXPECT_EQ(form.vsbA.value(), 59);
    EXPECT_FALSE(form.vsbA.userSet("60").ok) << "a user cannot move it past its end";
    EXPECT_FALSE(form.vsbA.userSet("ten").ok);
    EXPECT_TRUE(form.vsbA.userSet("5").ok);
    EXPECT_EQ(form.vsbA.value(), 5);
}

TEST_F(ControlsTest, AReadOnlyBoxRefusesTheUsersEditButNotTheProgramsOwn) {
    form.txtA.setLocked(true);
    EXPECT_FALSE(form.txtA.userSet("typed").ok);
    form.txtA.setText("by code");
    EXPECT_EQ(form.txtA.text(), "by code");
}

TEST_F(ControlsTest, ControlsAreFoundByNameIndexOrPanelKey) {
    form.sbr.addPanel("pnlCurrentFile", 3000, "launch.ovx");
    EXPECT_EQ(form.findControl("optLeft", "1"), &form.optLeft[1]);
    EXPECT_EQ(form.findControl("optLeft"), nullptr) << "an array needs its index";
    EXPECT_EQ(form.findControl("sbr"), &form.sbr);
    Control* panel = form.findControl("sbr", "pnlCurrentFile");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->displayName(), "sbr(pnlCurrentFile)");
    EXPECT_EQ(panel->property("Text")->print(), "\"launch.ovx\"");
    EXPECT_EQ(form.findControl("lblMissing"), nullptr);
}

TEST_F(ControlsTest, InputReachesAControlOnlyWhenItsWholeChainIsEnabled) {
    EXPECT_TRUE(form.optLeft[0].acceptsInput());
    form.pctLeft.setEnabled(false);
    EXPECT_FALSE(form.optLeft[0].acceptsInput()) << "its picture box is disabled";
    form.mnuTop.setEnabled(false);
    EXPECT_FALSE(form.mnuItem.acceptsInput()) << "its parent menu is disabled";
    form.setEnabled(false);
    EXPECT_FALSE(form.lblA.acceptsInput()) << "its window is disabled";
}

TEST_F(ControlsTest, PropertiesPrintInTheirScriptForms) {
    form.lblA.setCaption("say \"hi\"\\");
    EXPECT_EQ(form.lblA.property("Caption")->print(), R"("say \"hi\"\\")");
    form.lblA.setBackColor(0x8080FF);
    EXPECT_EQ(form.lblA.property("BackColor")->print(), "&H008080FF");
    EXPECT_EQ(form.property("BackColor")->print(), "&H8000000F");
    EXPECT_EQ(form.lblA.property("Visible")->print(), "True");
    EXPECT_EQ(form.property("Visible")->print(), "False") << "windows start hidden";
    EXPECT_FALSE(form.lblA.property("Interval"));
    EXPECT_FALSE(form.lblA.setProperty("Left", "far").ok);
}

// Each name reads and assigns its own property: a row bound to the wrong getter or setter would
// show up here as another property changing, or as a value that does not come back.
TEST_F(ControlsTest, EveryPropertyNameAssignsAndReadsItsOwnValue) {
    form.sbr.addPanel("pnlA", 1000);
    struct Case {
        Control& control;
        const char* name;
        const char* text;
        const char* printed;
    };
    const Case cases[] = {
        {form.lblA, "Caption", "T-10", R"("T-10")"},
        {form.lblA, "Tag", "On", R"("On")"},
        {form.lblA, "ToolTipText", "tip", R"("tip")"},
        {form.lblA, "Enabled", "False", "False"},
        {form.lblA, "Visible", "0", "False"},
        {form.lblA, "BackColor", "&HFF&", "&H000000FF"},
        {form.lblA, "ForeColor", "255", "&H000000FF"},
        {form.lblA, "Left", "10", "10"},
        {form.lblA, "Top", "20", "20"},
        {form.lblA, "Width", "30", "30"},
        {form.lblA, "Height", "40", "40"},
        {form.lblA, "BorderStyle", "1", "1"},
        {form.txtA, "Text", "12:00", R"("12:00")"},
        {form.vsbA, "Value", "7", "7"},
        {form.chkA, "Value", "1", "1"},
        {form.chkA, "Caption", "&Armed", R"("&Armed")"},
        {form.optRight, "Value", "True", "True"},
        {form.optRight, "Caption", "Right", R"("Right")"},
        {form.cmdA, "Caption", "&Go", R"("&Go")"},
        {form.mnuItem, "Caption", "Other", R"("Other")"},
        {form.mnuItem, "Checked", "true", "True"},
        {form.fraA, "Caption", "Choice", R"("Choice")"},
        {form.tmrA, "Interval", "250", "250"},
        {form.tmrA, "Enabled", "True", "True"},
        {form.calA, "Value", "5/3/2001", R"("May 3, 2001")"},
        {*form.sbr.panel("pnlA"), "Text", "saved", R"("saved")"},
        {form, "Caption", "Sample", R"("Sample")"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control.displayName() + "." + c.name);
        ASSERT_TRUE(c.control.setProperty(c.name, c.text).ok);
        EXPECT_EQ(c.control.property(c.name)->print(), c.printed);
    }
    EXPECT_EQ(form.lblA.left(), 10);
    EXPECT_EQ(form.lblA.top(), 20);
    EXPECT_EQ(form.lblA.width(), 30);
    EXPECT_EQ(form.lblA.height(), 40);
}

TEST_F(ControlsTest, ReadOnlyPropertiesReadButRefuseAssignment_AndBadTextChangesNothing) {
    form.sbr.addPanel("pnlA", 1000);
    form.vsbA.setRange(0, 59);
    form.vsbA.setLargeChange(10);
    EXPECT_EQ(form.vsbA.property("Max")->print(), "59");
    EXPECT_EQ(form.vsbA.property("LargeChange")->print(), "10");
    EXPECT_EQ(form.sbr.panel("pnlA")->property("Key")->print(), R"("pnlA")");
    EXPECT_EQ(form.property("Loaded")->print(), "False");
    EXPECT_EQ(form.vsbA.setProperty("Max", "10").error, "vsbA has no property Max");
    EXPECT_FALSE(form.setProperty("Loaded", "True").ok);

    for (const char* bad : {"&HFFFFFFFFF", "&HZZ", "-1", "red"})
        EXPECT_EQ(form.lblA.setProperty("BackColor", bad).error,
                  std::string("cannot set BackColor to \"") + bad + "\"");
    EXPECT_FALSE(form.chkA.setProperty("Value", "yes").ok);
    EXPECT_FALSE(form.optRight.setProperty("Value", "2").ok);
    EXPECT_EQ(form.calA.setProperty("Value", "soon").error, "\"soon\" is not a date");
    EXPECT_EQ(form.lblA.backColor(), ButtonFace);
    EXPECT_EQ(form.chkA.value(), 0);
}

// The view is told of every change of what a control shows, once, so it never has to apply
// anything again on the off chance that it changed.
TEST_F(ControlsTest, EverySetterTellsTheViewOnceAndOnlyOnAChange) {
    Recorder view;
    for (Control* c : form.controls())
        c->setObserver(&view);
    auto twice = [](auto set) {
        set();
        set();
    };
    twice([&] { form.lblA.setAlignment(Align::Right); });
    twice([&] { form.lblA.setWordWrap(false); });
    twice([&] { form.lblA.setTransparent(true); });
    twice([&] { form.txtA.setLocked(true); });
    twice([&] { form.txtA.setAlignment(Align::Center); });
    twice([&] { form.vsbA.setLargeChange(10); });
    twice([&] { form.vsbA.setRange(0, 59); });
    twice([&] { form.cmdA.setDefault(true); });
    twice([&] { form.cmdA.setCancel(true); });
    twice([&] { form.shpA.setShape(ShapeType::Oval); });
    twice([&] { form.shpA.setFillColor(0x00FFFF); });
    twice([&] { form.lblA.move(10, 20, 30, 40); });
    twice([&] { form.lblA.setTop(25); });
    using C = std::pair<std::string, Prop>;
    EXPECT_EQ(view.changes, (std::vector<C>{
                                {"lblA", Prop::Alignment},
                                {"lblA", Prop::WordWrap},
                                {"lblA", Prop::Transparent},
                                {"txtA", Prop::Locked},
                                {"txtA", Prop::Alignment},
                                {"vsbA", Prop::Range},
                                {"vsbA", Prop::Range},
                                {"cmdA", Prop::Default},
                                {"cmdA", Prop::Cancel},
                                {"shpA", Prop::Shape},
                                {"shpA", Prop::Shape},
                                {"lblA", Prop::Geometry},
                                {"lblA", Prop::Geometry},
                            }));
    EXPECT_EQ(form.lblA.left(), 10) << "a single edge moves alone";
    EXPECT_EQ(form.lblA.top(), 25);
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

TEST_F(ControlsTest, AWindowFindsItsControlByNameAndKind) {
    EXPECT_EQ(&form.control<Label>("lblA"), &form.lblA);
    EXPECT_EQ(&form.control<OptionButton>("optLeft", 2), &form.optLeft[2]);
    const TestForm& seen = form;
    EXPECT_EQ(&seen.control<Timer>("tmrA"), &form.tmrA);
}

using ControlsDeathTest = ControlsTest;

TEST_F(ControlsDeathTest, AnUnknownControlOrAnotherKindStopsTheProgram) {
    EXPECT_DEATH(form.control<Label>("lblB"), "frmTest has no control lblB");
    EXPECT_DEATH(form.control<OptionButton>("optLeft", 3), "frmTest has no control optLeft\\(3\\)");
    EXPECT_DEATH(form.control<Label>("cmdA"),
                 "frmTest: control cmdA is not of the kind orvane::Label");
}

} // namespace
} // namespace orvane
