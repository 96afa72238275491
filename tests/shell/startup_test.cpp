#include "events/frmEventTimers.h"
#include "shell/frmAbout.h"
#include "shell/frmSplash.h"
#include "shell/frmTechSupport.h"
#include "support/app_fixture.h"

namespace orvane::test {
namespace {

using StartupTest = AppTest;

TEST_F(StartupTest, ASecondCopyOnlySaysSoAndEnds) {
    world.process.otherInstanceRunning = true;
    answer(Answer::OK);
    start();
    const ShownMessage m = lastMessage();
    EXPECT_EQ(m.text, "Orvane is already running on this computer.");
    EXPECT_EQ(m.title, "Orvane");
    EXPECT_EQ(m.icon, Icon::Critical);
    EXPECT_EQ(m.buttons, Buttons::OK);
    EXPECT_TRUE(app.ended());
    EXPECT_TRUE(app.loadedForms().empty()) << "no window is made";
}

TEST_F(StartupTest, TheMainWindowOpensCompact_AndTakesNoInputUntilTheSplashHasGone) {
    clockAt("2001-05-03 10:00:00");
    start();
    EXPECT_TRUE(main().visible());
    EXPECT_EQ(main().width(), 4350);
    EXPECT_EQ(main().height(), 1630);
    for (MenuItem* menu :
         {&main().control<MenuItem>("mnuFile"), &main().control<MenuItem>("mnuSettings"),
          &main().control<MenuItem>("mnuHelp"), &main().control<MenuItem>("mnuSimTime")})
        EXPECT_FALSE(menu->visible()) << menu->name();
    EXPECT_TRUE(app.isLoaded("frmEventTimers"));
    EXPECT_FALSE(app.frmEventTimers().visible()) << "loaded, not shown";
    EXPECT_FALSE(click(main().control<CommandButton>("cmdAccess")));
    EXPECT_FALSE(app.frmEventTimers().acceptsInput());

    advance(2999ms);
    EXPECT_TRUE(app.isLoaded("frmSplash"));
    advance(1ms);
    EXPECT_FALSE(app.isLoaded("frmSplash"));
    EXPECT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    EXPECT_TRUE(app.frmEventTimers().acceptsInput());
}

TEST_F(StartupTest, TheSplashShowsTheVersion_AndEndsItsProgressWithTheBarHidden) {
    start();
    frmSplash& splash = app.frmSplash();
    EXPECT_EQ(splash.lblProductName.caption(), "Orvane");
    EXPECT_EQ(splash.lblVersion.caption(), "Version " + std::to_string(version::major) + "." +
                                               std::to_string(version::minor) + "." +
                                               std::to_string(version::revision));
    EXPECT_EQ(splash.ProgressBar1.value(), 2250);
    EXPECT_FALSE(splash.ProgressBar1.visible());
    EXPECT_FALSE(splash.lblLoadingData.visible());
#ifdef __linux__
    EXPECT_EQ(splash.lblPlatform.caption(), "Linux") << "the system it runs on";
#endif
}

// The project's address comes from the build, where the packager sets it, and both boxes show
// the same one; a build without it says so rather than showing an empty line.
TEST_F(StartupTest, AboutAndTechnicalSupportGiveTheProjectsAddress_OrSayItIsNotSet) {
    startAndSettle();
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    for (const std::string address : {"", "https://orvane.example/"}) {
        app.services().info.projectAddress = address;
        const std::string shown = address.empty() ? "not set" : address;
        ASSERT_TRUE(click(main().control<MenuItem>("mnuAbout")));
        auto& about = *app.loaded<frmAbout>();
        EXPECT_NE(about.lblInfo.caption().find("Project address: " + shown), std::string::npos)
            << about.lblInfo.caption();
        EXPECT_NE(about.lblInfo.caption().find("GNU General Public License, version 3 or later"),
                  std::string::npos);
        EXPECT_TRUE(click(about.cmdOK));
        ASSERT_TRUE(click(main().control<MenuItem>("mnuTechSupport")));
        auto& support = *app.loaded<frmTechSupport>();
        EXPECT_NE(support.lblSupport.caption().find("Project address: " + shown + "."),
                  std::string::npos)
            << support.lblSupport.caption();
        EXPECT_TRUE(click(support.cmdOK));
    }
}

TEST_F(StartupTest, AKeyOrAClickOnTheFrameClosesTheSplashEarly) {
    start();
    advance(500ms);
    EXPECT_TRUE(key(app.frmSplash(), 'x'));
    EXPECT_FALSE(app.isLoaded("frmSplash"));
    EXPECT_TRUE(main().enabled());

    // A splash loaded again comes back with its design values and closes on a frame click.
    frmSplash& again = app.frmSplash();
    EXPECT_TRUE(again.lblLoadingData.visible());
    EXPECT_FALSE(main().enabled());
    EXPECT_TRUE(click(again.Frame1));
    EXPECT_FALSE(app.isLoaded("frmSplash"));
    EXPECT_TRUE(main().enabled());
    EXPECT_TRUE(app.frmEventTimers().enabled());
}

} // namespace
} // namespace orvane::test
