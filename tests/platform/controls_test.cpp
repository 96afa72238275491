#include "platform/controls.h"
#include "platform/fake/fake_services.h"
#include "platform/form.h"

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

} // namespace
} // namespace orvane
