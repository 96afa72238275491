// Every window's look as designed, pinned once: each control's caption, font, colours,
// geometry, visibility, enabled state, border, word wrap, read-only state and window style
// after the window loads, compared with the window's table in this folder. A changed design
// value, a control left out of a table or one the table does not know fails here.
//
// A table line is a control's display name, its kind and the properties that differ from
// its kind's defaults, in a fixed order (see describe() below).

#include "journal/journal_keeper.h"
#include "remote/frmRemoteDisplays.h"
#include "support/app_fixture.h"
#include "version.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace orvane::test {
namespace {

std::string quoted(const std::string& s) {
    return PropValue(s).print();
}

std::string hex(Color c) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", unsigned(c));
    return text;
}

const char* kindName(Kind k) {
    switch (k) {
    case Kind::Form:
        return "Form";
    case Kind::Label:
        return "Label";
    case Kind::TextBox:
        return "TextBox";
    case Kind::ScrollBar:
        return "ScrollBar";
    case Kind::CheckBox:
        return "CheckBox";
    case Kind::OptionButton:
        return "OptionButton";
    case Kind::CommandButton:
        return "CommandButton";
    case Kind::MenuItem:
        return "MenuItem";
    case Kind::Timer:
        return "Timer";
    case Kind::PictureBox:
        return "PictureBox";
    case Kind::Frame:
        return "Frame";
    case Kind::Shape:
        return "Shape";
    case Kind::StatusBar:
        return "StatusBar";
    case Kind::StatusPanel:
        return "StatusPanel";
    case Kind::ProgressBar:
        return "ProgressBar";
    case Kind::Calendar:
        return "Calendar";
    case Kind::Image:
        return "Image";
    }
    return "?";
}

const char* alignName(Align a) {
    return a == Align::Center ? "center" : a == Align::Right ? "right" : "left";
}

// The control's designed properties, those that differ from its kind's defaults.
std::string describe(const Control& c) {
    std::ostringstream out;
    out << c.displayName() << ' ' << kindName(c.kind());
    auto text = [&](const std::string& s) {
        if (!s.empty())
            out << ' ' << quoted(s);
    };
    switch (c.kind()) {
    case Kind::Form:
        text(static_cast<const Form&>(c).caption());
        break;
    case Kind::Label:
        text(static_cast<const Label&>(c).caption());
        break;
    case Kind::TextBox:
        text(static_cast<const TextBox&>(c).text());
        break;
    case Kind::CheckBox:
        text(static_cast<const CheckBox&>(c).caption());
        break;
    case Kind::OptionButton:
        text(static_cast<const OptionButton&>(c).caption());
        break;
    case Kind::CommandButton:
        text(static_cast<const CommandButton&>(c).caption());
        break;
    case Kind::MenuItem:
        text(static_cast<const MenuItem&>(c).caption());
        break;
    case Kind::Frame:
        text(static_cast<const Frame&>(c).caption());
        break;
    case Kind::StatusPanel:
        text(static_cast<const StatusPanel&>(c).text());
        break;
    default:
        break;
    }
    if (c.left() || c.top() || c.width() || c.height())
        out << " at=" << c.left() << ',' << c.top() << ',' << c.width() << ',' << c.height();
    if (c.container())
        out << " in=" << c.container()->displayName();
    if (c.font() != Font{}) {
        out << " font=" << c.font().size << (c.font().bold ? "b" : "");
        if (!c.font().family.empty())
            out << '/' << c.font().family;
    }
    if (c.backColor() != ButtonFace)
        out << " back=" << hex(c.backColor());
    if (c.foreColor() != 0)
        out << " fore=" << hex(c.foreColor());
    if (!c.visible())
        out << " hidden";
    if (!c.enabled())
        out << " disabled";
    if (c.borderStyle() != 0)
        out << " border=" << c.borderStyle();
    if (!c.tag().empty())
        out << " tag=" << quoted(c.tag());
    if (!c.toolTipText().empty())
        out << " tip=" << quoted(c.toolTipText());

    switch (c.kind()) {
    case Kind::Form: {
        const auto& f = static_cast<const Form&>(c);
        if (!f.fixedSize())
            out << " sizable";
        if (f.centered())
            out << " centered";
        if (f.topMost())
            out << " ontop";
        break;
    }
    case Kind::Label: {
        const auto& l = static_cast<const Label&>(c);
        if (l.alignment() != Align::Left)
            out << " align=" << alignName(l.alignment());
        if (l.transparent())
            out << " transparent";
        if (!l.wordWrap())
            out << " nowrap";
        break;
    }
    case Kind::TextBox: {
        const auto& t = static_cast<const TextBox&>(c);
        if (t.alignment() != Align::Left)
            out << " align=" << alignName(t.alignment());
        if (t.locked())
            out << " readonly";
        break;
    }
    case Kind::ScrollBar:
    case Kind::ProgressBar: {
        const auto& r = static_cast<const RangedControl&>(c);
        out << " range=" << r.min() << ".." << r.max() << " value=" << r.value();
        if (c.kind() == Kind::ScrollBar) {
            const auto& s = static_cast<const ScrollBar&>(c);
            out << " steps=" << s.smallChange() << '/' << s.largeChange();
        }
        break;
    }
    case Kind::CheckBox:
        out << " value=" << static_cast<const CheckBox&>(c).value();
        break;
    case Kind::OptionButton:
        if (static_cast<const OptionButton&>(c).value())
            out << " selected";
        break;
    case Kind::CommandButton: {
        const auto& b = static_cast<const CommandButton&>(c);
        if (b.isDefault())
            out << " default";
        if (b.isCancel())
            out << " cancel";
        break;
    }
    case Kind::MenuItem: {
        const auto& m = static_cast<const MenuItem&>(c);
        if (m.parentMenu())
            out << " under=" << m.parentMenu()->name();
        if (!m.shortcut().empty())
            out << " key=" << m.shortcut();
        if (m.checked())
            out << " checked";
        break;
    }
    case Kind::Timer: {
        const auto& t = static_cast<const Timer&>(c);
        out << " every=" << t.interval();
        break;
    }
    case Kind::Shape: {
        const auto& s = static_cast<const Shape&>(c);
        out << " shape=" << int(s.shape()) << " fill=" << hex(s.fillColor());
        break;
    }
    case Kind::StatusBar:
        for (const auto& p : static_cast<const StatusBar&>(c).panels())
            out << " panel=" << p->key();
        break;
    case Kind::StatusPanel:
        out << " key=" << static_cast<const StatusPanel&>(c).key();
        break;
    case Kind::Calendar:
        out << " date=" << formatDate(static_cast<const Calendar&>(c).date(), "yyyy-mm-dd");
        break;
    case Kind::Image:
        out << " image=" << static_cast<const Image&>(c).resource();
        break;
    default:
        break;
    }
    return out.str();
}

// The window's lines in the order its controls were made (a menu's items in menu order), the
// program's version written as <version>.
std::vector<std::string> describeWindow(const Form& form) {
    const std::string version = std::to_string(version::major) + "." +
                                std::to_string(version::minor) + "." +
                                std::to_string(version::revision);
    std::vector<std::string> lines{describe(form)};
    for (const Control* c : form.controls())
        lines.push_back(describe(*c));
    for (std::string& line : lines)
        for (auto at = line.find(version); at != std::string::npos; at = line.find(version, at))
            line.replace(at, version.size(), "<version>");
    return lines;
}

std::string nameOf(const std::string& line) {
    return line.substr(0, line.find(' '));
}

// The table's lines, in order; blank lines and "#" comments are skipped.
std::vector<std::string> readTable(const std::string& window) {
    std::vector<std::string> rows;
    std::ifstream in(std::string(ORVANE_DESIGN_TABLES) + "/" + window + ".design");
    EXPECT_TRUE(in) << "no design table for " << window;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty() && line[0] != '#')
            rows.push_back(line);
    return rows;
}

// The one server the remote displays dialog needs to load: it serves nothing.
class IdleRemote : public RemoteDisplays {
  public:
    std::string serve(const ServeAddress&) override { return "not here"; }
    void stop() override {}
    bool serving() const override { return false; }
    ServeAddress servingAt() const override { return {}; }
    std::string pageAddress() const override { return {}; }
    int watchers() const override { return 0; }
    void showCode(PictureBox&, const std::string&) override {}
};

// The Debrief window's pictures go nowhere.
class NoCanvas : public DebriefCanvas {
  public:
    void draw(PictureBox&, const Drawing&) override {}
};

class DesignedStates : public AppTest, public ::testing::WithParamInterface<const char*> {
  protected:
    DesignedStates() {
        app.registerForm("frmRemoteDisplays",
                         [this](App& a) { return std::make_unique<frmRemoteDisplays>(a, remote); });
        clockAt("2001-05-03 10:20:00");
    }
    IdleRemote remote;
    MemoryJournalStore journal;
    NoCanvas canvas;
    JournalKeeper keeper{app, journal, canvas};
};

TEST_P(DesignedStates, EveryControlIsAsDesignedWhenTheWindowLoads) {
    const std::string window = GetParam();
    Form* form = app.form(window);
    ASSERT_TRUE(form) << window;
    const std::vector<std::string> shown = describeWindow(*form);
    // ORVANE_PRINT_DESIGN=1 prints the window's lines as a table holds them, to start the
    // table of a new window; each line is then to be checked against the design.
    if (std::getenv("ORVANE_PRINT_DESIGN")) {
        for (const std::string& line : shown)
            std::printf("%s\n", line.c_str());
        GTEST_SKIP() << "printed, not compared";
    }
    const std::vector<std::string> table = readTable(window);
    std::map<std::string, std::string> rows;
    for (const std::string& row : table)
        EXPECT_TRUE(rows.emplace(nameOf(row), row).second)
            << window << ": " << nameOf(row) << " twice in the table";
    std::vector<std::string> tableOrder, shownOrder;
    for (const std::string& line : shown) {
        const std::string name = nameOf(line);
        shownOrder.push_back(name);
        const auto row = rows.find(name);
        if (row == rows.end()) {
            ADD_FAILURE() << window << ": " << name << " is not in the table:\n  " << line;
            continue;
        }
        EXPECT_EQ(line, row->second) << window << ": " << name;
        rows.erase(row);
    }
    for (const auto& [name, line] : rows)
        ADD_FAILURE() << window << ": the table's " << name << " is not on the window";
    for (const std::string& row : table)
        tableOrder.push_back(nameOf(row));
    EXPECT_EQ(shownOrder, tableOrder) << window
                                      << ": the controls (and menu items) are made "
                                         "in another order than the table's";
}

INSTANTIATE_TEST_SUITE_P(
    Windows, DesignedStates,
    ::testing::Values("frmOrvane", "frmEventTimers", "frmSplash", "frmTips", "frmAbout",
                      "frmTechSupport", "frmETWIZNumber", "frmETWIZLabel", "frmETWIZChoice",
                      "frmETWIZPlus", "frmETWIZMET", "frmETWIZDate", "frmRemoveEvent",
                      "frmWizardPlusMinus", "frmWizardTime", "frmRemoteDisplays", "frmDebrief",
                      "frmPresent", "frmPresentScreen", "frmCallouts", "frmPlan", "frmExtendHold"),
    [](const auto& info) { return std::string(info.param); });

} // namespace
} // namespace orvane::test
