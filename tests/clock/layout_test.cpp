#include "support/app_fixture.h"

#include <vector>

namespace orvane::test {
namespace {

struct Box {
    int left, top, right, bottom;
    bool overlaps(const Box& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

Box boxOf(const Control& c) {
    return {c.left(), c.top(), c.left() + c.width(), c.top() + c.height()};
}

// The controls a user sees on the window's surface or in a panel: everything with a size,
// but not the calendar, which pops up over the date entry when asked for.
std::vector<const Control*> laidOut(const Form& form) {
    std::vector<const Control*> out;
    for (const Control* c : form.controls()) {
        switch (c->kind()) {
        case Kind::Label:
        case Kind::TextBox:
        case Kind::ScrollBar:
        case Kind::CheckBox:
        case Kind::CommandButton:
        case Kind::PictureBox:
        case Kind::Shape:
            if (c->width() > 0 && c->height() > 0)
                out.push_back(c);
            break;
        default:
            break;
        }
    }
    return out;
}

// Room left for the menu bar over the controls, in twips (27 pixels at 96 dpi).
constexpr int MenuBarAllowance = 405;
// A panel's sunken border, in twips.
constexpr int Border = 30;

// Guards against controls that overlap, or stick out of their panel or past the status bar,
// as the layout changes.
TEST_F(AppTest, TheFullScreenShowsEveryControlWhole_AndNoneOverAnother) {
    startAndSettle();
    frmOrvane& f = main();
    ASSERT_TRUE(click(f.control<CommandButton>("cmdAccess")));
    const std::vector<const Control*> controls = laidOut(f);
    for (const Control* c : controls) {
        const Box b = boxOf(*c);
        EXPECT_GE(b.left, 0) << c->displayName();
        EXPECT_GE(b.top, 0) << c->displayName();
        if (const Control* panel = c->container()) {
            EXPECT_LE(b.right, panel->width() - 2 * Border) << c->displayName();
            EXPECT_LE(b.bottom, panel->height() - 2 * Border) << c->displayName();
        } else {
            EXPECT_LE(b.right, f.width()) << c->displayName();
            EXPECT_LE(b.bottom,
                      f.height() - MenuBarAllowance - f.control<StatusBar>("sbrStatusBar").height())
                << c->displayName();
        }
        for (const Control* other : controls) {
            if (other < c && other->container() == c->container()) {
                EXPECT_FALSE(b.overlaps(boxOf(*other)))
                    << c->displayName() << " overlaps " << other->displayName();
            }
        }
    }
}

TEST_F(AppTest, TheCompactScreenShowsTheCountAndItsButtons_AndNothingCutInHalf) {
    startAndSettle();
    frmOrvane& f = main();
    const Box screen{0, 0, f.width(), f.height()};
    for (const Control* c : laidOut(f)) {
        if (c->container())
            continue;
        const Box b = boxOf(*c);
        const bool whole = b.right <= screen.right && b.bottom <= screen.bottom;
        const bool outside = !b.overlaps(screen);
        EXPECT_TRUE(whole || outside) << c->displayName() << " is cut by the compact screen";
    }
    for (const Control* shown : std::initializer_list<const Control*>{
             &f.control<Label>("lblTMinus"), &f.control<Label>("lblDays"),
             &f.control<Label>("lblHours"), &f.control<Label>("lblMinutes"),
             &f.control<Label>("lblSeconds"), &f.control<CommandButton>("cmdAccess"),
             &f.control<CommandButton>("cmdShowTimers"), &f.control<CommandButton>("cmdHoldResume"),
             &f.control<Label>("lblWindowWarning"), &f.control<Shape>("shpIndicator", 2)})
        EXPECT_LE(boxOf(*shown).bottom, screen.bottom) << shown->displayName();
}

// The widest a digit of the program's faces gets, as a share of the font's size in points; a
// point is 20 twips.
constexpr double WidestDigitEm = 0.7;

// From a launch three years away to the widest count the dates allow (the first date to the
// last), the days fit their box while the hours, minutes and seconds stay where they were.
TEST_F(AppTest, EveryCountOfDaysFitsItsBox_AndTheOtherDigitsStayPut) {
    frmOrvane& f = main();
    const std::vector<Box> others{boxOf(f.control<Label>("lblHours")),
                                  boxOf(f.control<Label>("lblMinutes")),
                                  boxOf(f.control<Label>("lblSeconds"))};
    world.clock.set(*DateTime::fromParts(9996, 12, 31, 23, 59, 59));
    startAndSettle();
    ASSERT_TRUE(click(f.control<CommandButton>("cmdAccess")));
    ASSERT_TRUE(type(f.control<TextBox>("txtLaunchDate"), "12/31/9999"));
    ASSERT_TRUE(type(f.control<TextBox>("txtHours"), "23"));
    ASSERT_TRUE(type(f.control<TextBox>("txtMinutes"), "59"));
    ASSERT_TRUE(type(f.control<TextBox>("txtSeconds"), "59"));
    answer(Answer::Yes);
    ASSERT_TRUE(click(f.control<CommandButton>("cmdSet")));

    // Each digit past four takes the next smaller size, and only then: the days stay as large
    // as their box allows.
    const struct {
        int year;
        double points;
    } steps[] = {{9996, 20}, {9970, 17}, {9700, 14}, {100, 12}};
    for (const auto& step : steps) {
        world.clock.set(*DateTime::fromParts(step.year, 1, 1));
        advance(1s);
        const std::string days = f.control<Label>("lblDays").caption();
        const Font font = f.control<Label>("lblDays").font();
        EXPECT_EQ(font.size, step.points) << days;
        EXPECT_TRUE(font.bold) << days;
        EXPECT_LE(double(days.size()) * WidestDigitEm * font.size * 20,
                  f.control<Label>("lblDays").width())
            << days << " at " << font.size << " points";
        EXPECT_FALSE(
            boxOf(f.control<Label>("lblDays")).overlaps(boxOf(f.control<Label>("lblTMinus"))))
            << days;
        EXPECT_EQ(boxOf(f.control<Label>("lblHours")).left, others[0].left) << days;
        EXPECT_EQ(boxOf(f.control<Label>("lblMinutes")).left, others[1].left) << days;
        EXPECT_EQ(boxOf(f.control<Label>("lblSeconds")).left, others[2].left) << days;
    }
    EXPECT_EQ(f.control<Label>("lblDays").caption(), "3615899");
}

} // namespace
} // namespace orvane::test
