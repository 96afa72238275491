// The clock's health in the full screen's status bar, on the fake source: what each reading
// says, the amber warning, and the status bar keeping to the window's width.

#include "colors.h"
#include "support/app_fixture.h"

#include <optional>

namespace orvane::test {
namespace {

using Sync = ClockHealth::Sync;

ClockHealth health(Sync sync, std::optional<std::int64_t> maxErrorMs = std::nullopt) {
    ClockHealth h;
    h.sync = sync;
    h.maxErrorMs = maxErrorMs;
    return h;
}

TEST(ClockHealthText, EachReadingInTheStatusBarsWords) {
    struct Case {
        const char* name;
        ClockHealth health;
        const char* text;
        bool warns;
    };
    const Case cases[] = {
        {"unknown", health(Sync::Unknown), "", false},
        {"synchronised, with the kernel's figure", health(Sync::Synchronised, 16),
         "Clock synchronised (+-16 ms)", false},
        {"synchronised, the figure under a millisecond", health(Sync::Synchronised, 0),
         "Clock synchronised (+-0 ms)", false},
        {"synchronised, no figure", health(Sync::Synchronised), "Clock synchronised", false},
        {"not synchronised", health(Sync::NotSynchronised), "Clock not synchronised", true},
        // A figure means nothing for a clock nobody keeps: it is not shown.
        {"not synchronised, a figure read all the same", health(Sync::NotSynchronised, 16000),
         "Clock not synchronised", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(clockHealthText(c.health), c.text) << c.name;
        EXPECT_EQ(clockHealthWarns(c.health), c.warns) << c.name;
    }
}

class ClockHealthBar : public AppTest {
  protected:
    StatusPanel& panel(const char* key) {
        return *main().control<StatusBar>("sbrStatusBar").panel(key);
    }
    // The widths of the panels shown, which must keep to the window's width.
    int shownWidths() {
        int sum = 0;
        for (const auto& p : main().control<StatusBar>("sbrStatusBar").panels())
            if (p->visible())
                sum += p->width();
        return sum;
    }
};

TEST_F(ClockHealthBar, EachNewReadingShowsAtOnce_InAmberWhenTheClockIsNotKept) {
    startAndSettle();
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    ASSERT_TRUE(main().control<StatusBar>("sbrStatusBar").visible());
    StatusPanel& clock = panel("pnlClockHealth");
    // Until the clock's health is known, nothing shows of it and the file has the room.
    EXPECT_FALSE(clock.visible());
    EXPECT_EQ(panel("pnlCurrentFile").width(), 5655);

    world.clockHealth.set(health(Sync::Synchronised, 12));
    EXPECT_TRUE(clock.visible());
    EXPECT_EQ(clock.text(), "Clock synchronised (+-12 ms)");
    EXPECT_EQ(clock.backColor(), ButtonFace);
    EXPECT_EQ(clock.toolTipText(),
              "The computer's clock is kept synchronised, and is at most 12 ms off.");
    EXPECT_EQ(main().clockHealth(), health(Sync::Synchronised, 12));
    EXPECT_EQ(app.clockHealth(), health(Sync::Synchronised, 12));
    EXPECT_EQ(shownWidths(), main().width());

    world.clockHealth.set(health(Sync::NotSynchronised));
    EXPECT_EQ(clock.text(), "Clock not synchronised");
    EXPECT_EQ(clock.backColor(), Amber);
    EXPECT_EQ(clock.toolTipText(), "The computer's clock is not kept synchronised: a count on "
                                   "another computer may not agree with this one.");

    // Synchronised again: the amber goes.
    world.clockHealth.set(health(Sync::Synchronised));
    EXPECT_EQ(clock.text(), "Clock synchronised");
    EXPECT_EQ(clock.backColor(), ButtonFace);

    // The clock service can no longer be asked: the panel goes, and the file has its room back.
    world.clockHealth.set(health(Sync::Unknown));
    EXPECT_FALSE(clock.visible());
    EXPECT_EQ(panel("pnlCurrentFile").width(), 5655);
    EXPECT_EQ(main().clockHealth(), ClockHealth{});

    // The count went on through it all.
    advance(2s);
    EXPECT_FALSE(world.dialogs.failure());
}

TEST_F(ClockHealthBar, AReadingBeforeTheWindowLoadsShowsWhenItLoads_TheCompactScreenStaysAsItIs) {
    world.clockHealth.set(health(Sync::NotSynchronised));
    startAndSettle();
    StatusPanel& clock = panel("pnlClockHealth");
    EXPECT_EQ(clock.text(), "Clock not synchronised");
    EXPECT_EQ(clock.backColor(), Amber);
    // The compact screen shows the count alone, whatever the clock's health.
    EXPECT_FALSE(main().control<StatusBar>("sbrStatusBar").visible());
    EXPECT_EQ(main().width(), 4350);
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    EXPECT_TRUE(main().control<StatusBar>("sbrStatusBar").visible());
    EXPECT_TRUE(clock.visible());
}

// Guards against the status bar growing past the window when the journal's note and the
// clock's health show together, and against either leaving the file panel narrower than
// needed once it has gone.
TEST_F(ClockHealthBar, WithTheJournalsNoteTooTheStatusBarKeepsToTheWindowsWidth) {
    startAndSettle();
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    main().ShowJournalNote("Journal: not recorded", "The mission journal cannot be kept.");
    EXPECT_EQ(shownWidths(), main().width());
    EXPECT_EQ(panel("pnlJournal").width(), 3000);

    world.clockHealth.set(health(Sync::Synchronised, 40));
    EXPECT_EQ(shownWidths(), main().width());
    EXPECT_GE(panel("pnlCurrentFile").width(), 1200);

    main().ShowJournalNote("", "");
    EXPECT_EQ(shownWidths(), main().width());
    EXPECT_EQ(panel("pnlCurrentFile").width(), 5655 - panel("pnlClockHealth").width());

    world.clockHealth.set(health(Sync::Unknown));
    EXPECT_EQ(panel("pnlCurrentFile").width(), 5655);
}

} // namespace
} // namespace orvane::test
