// A paired device's commands, as the director's tablet gives them: only while the user lets
// devices control, only what the program's own controls could do then, each shown and
// recorded with the device's name; and the pairing that makes a device, with its limits.

#include "callouts/callouts.h"
#include "clock/frmPresent.h"
#include "clock/plan_run.h"
#include "journal/journal_keeper.h"
#include "remote/pairing.h"
#include "remote/remote_control.h"
#include "support/app_fixture.h"

namespace orvane::test {
namespace {

using Kind = Happening::Kind;
constexpr const char* Tablet = "Flight director's tablet";

class RemoteControlTest : public AppTest {
  protected:
    RemoteControlTest() {
        heard = app.happenings().subscribe([this](const Happening& h) { told.push_back(h); });
        registerPresentWindows(app);
        clockAt("2001-05-03 10:20:00");
        startAndSettle();
        main().control<Label>("lblTarget").setCaption("May 3, 2001   10:30:00 AM");
    }
    std::string give(RemoteCommand c) {
        std::string why;
        world.scheduler.deliver([&] { why = giveRemoteCommand(app, c, Tablet); });
        return why;
    }
    void allow() { setControlAllowed(world.services.settings, app.info().exeName, true); }
    std::string note() {
        return main().control<StatusBar>("sbrStatusBar").panel("pnlCommand")->text();
    }
    // The journal's record of the last happening of KIND, as name="value" details.
    std::string record(Kind kind) {
        for (auto it = told.rbegin(); it != told.rend(); ++it)
            if (it->kind == kind) {
                const JournalRecord r = journalRecordOf(*it, world.services.clock.zone());
                return r.details.empty() ? r.kind : r.kind + " " + formatDetails(r.details);
            }
        return "none";
    }

    std::vector<Happening> told;
    Subscription heard;
};

TEST_F(RemoteControlTest, CommandsAreRefusedUntilTheUserLetsDevicesControl) {
    EXPECT_EQ(give(RemoteCommand::HoldEnable),
              "Control by paired devices is off on the program's computer.");
    EXPECT_FALSE(app.launchState().armed());
    main().setFollowing(true);
    allow();
    EXPECT_EQ(give(RemoteCommand::Hold).rfind("This copy follows a leader", 0), 0u);
    EXPECT_FALSE(app.launchState().held());
}

TEST_F(RemoteControlTest, ADeviceHoldsAndResumesAsTheButtonDoesAndEachIsShownAndRecorded) {
    allow();
    // The hold button is greyed until holds are enabled: so is a device's Hold.
    EXPECT_EQ(give(RemoteCommand::Hold), "Holds are not enabled: give Hold Enable first.");
    EXPECT_EQ(give(RemoteCommand::Resume), "The count is not held.");
    EXPECT_EQ(give(RemoteCommand::EndBuiltInHold), "No built-in hold stands.");
    EXPECT_EQ(give(RemoteCommand::HoldDisable), "Holds are disabled already.");
    EXPECT_EQ(give(RemoteCommand::HoldEnable), "");
    EXPECT_TRUE(app.launchState().armed());
    EXPECT_EQ(record(Kind::RemoteCommand),
              "remote-command command=\"hold-enable\" by=\"Flight director's tablet\"");

    EXPECT_EQ(give(RemoteCommand::Hold), "");
    EXPECT_TRUE(main().held());
    EXPECT_EQ(give(RemoteCommand::Hold), "The count is held already.");
    EXPECT_EQ(give(RemoteCommand::HoldDisable), "A hold is on: it is left by Resume.");
    EXPECT_EQ(record(Kind::Hold), "hold by=\"Flight director's tablet\"");
    advance(1s);
    EXPECT_EQ(note(), "Hold from Flight director's tablet");
    PresentCount(app);
    advance(1s);
    EXPECT_EQ(app.form<frmPresent>().lblTarget.caption(), "Hold from Flight director's tablet");
    // A few seconds later both screens show what they showed before.
    advance(5s);
    EXPECT_EQ(note(), "");
    EXPECT_EQ(app.form<frmPresent>().lblTarget.caption().substr(0, 11), "May 3, 2001");

    advance(10s);
    EXPECT_EQ(give(RemoteCommand::Resume), "");
    EXPECT_FALSE(main().held());
    const std::string resumed = record(Kind::Resume);
    EXPECT_NE(resumed.find("held=\"17\""), std::string::npos) << resumed;
    EXPECT_NE(resumed.find("by=\"Flight director's tablet\""), std::string::npos) << resumed;
    // The program's own button names no device.
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    EXPECT_EQ(record(Kind::Hold), "hold");
    advance(1s);
    EXPECT_EQ(note(), "Resume from Flight director's tablet");
}

TEST_F(RemoteControlTest, ADeviceMutesAndUnmutesTheCallouts) {
    allow();
    EXPECT_EQ(give(RemoteCommand::Unmute), "The callouts are not muted.");
    EXPECT_EQ(give(RemoteCommand::Mute), "");
    EXPECT_FALSE(app.callouts().choices().sound);
    EXPECT_TRUE(main().control<MenuItem>("mnuMute").checked());
    EXPECT_EQ(give(RemoteCommand::Mute), "The callouts are muted already.");
    EXPECT_EQ(give(RemoteCommand::Unmute), "");
    EXPECT_TRUE(app.callouts().choices().sound);
    EXPECT_EQ(record(Kind::RemoteCommand),
              "remote-command command=\"unmute\" by=\"Flight director's tablet\"");
}

TEST_F(RemoteControlTest, ADeviceEndsABuiltInHoldAsResumeDoes) {
    allow();
    world.scheduler.deliver([&] {
        EXPECT_FALSE(app.launchState().plan().add(BuiltInHold{540, 60, "Go/no-go poll", true}));
        PlanRun::planChanged(main());
    });
    for (int i = 0; i < 200 && !app.launchState().builtInHeld(); ++i)
        advance(1s);
    ASSERT_TRUE(app.launchState().builtInHeld());
    EXPECT_EQ(give(RemoteCommand::EndBuiltInHold), "");
    EXPECT_FALSE(main().held());
    const std::string ended = record(Kind::BuiltInHoldEnd);
    EXPECT_NE(ended.find("by=\"Flight director's tablet\""), std::string::npos) << ended;
    advance(1s);
    EXPECT_EQ(note(), "End of Go/no-go poll from Flight director's tablet");
    EXPECT_EQ(give(RemoteCommand::EndBuiltInHold), "No built-in hold stands.");
}

TEST(RemoteCommandWords, OnlyTheCommandWordsAreRead) {
    struct Row {
        std::string text;
        std::optional<RemoteCommand> command;
    };
    const Row rows[] = {
        {"hold", RemoteCommand::Hold},
        {"resume", RemoteCommand::Resume},
        {"hold-enable", RemoteCommand::HoldEnable},
        {"hold-disable", RemoteCommand::HoldDisable},
        {"end-built-in-hold", RemoteCommand::EndBuiltInHold},
        {"mute", RemoteCommand::Mute},
        {"unmute", RemoteCommand::Unmute},
        {"Hold", std::nullopt},
        {"hold ", std::nullopt},
        {"", std::nullopt},
        {"set-launch-time", std::nullopt},
        {std::string(33, 'h'), std::nullopt},
    };
    for (const Row& row : rows) {
        std::string error;
        EXPECT_EQ(readRemoteCommand(row.text, error), row.command) << row.text;
        EXPECT_EQ(error.empty(), row.command.has_value()) << row.text;
        if (row.command) {
            EXPECT_EQ(commandWord(*row.command), row.text);
        }
    }
}

// Pairing: a code good for two minutes and one device; five wrong codes lock it for everyone
// for a minute; every refusal recorded.
class PairingTest : public RemoteControlTest {
  protected:
    const std::string hashA = std::string(64, 'a');
    const std::string hashB = std::string(64, 'b');
    int refusals() {
        return int(std::count_if(told.begin(), told.end(), [](const Happening& h) {
            return h.kind == Kind::PairingRefused;
        }));
    }
};

TEST_F(PairingTest, ACodePairsOneDeviceWithinTwoMinutes) {
    Pairing pairing(app);
    EXPECT_EQ(pairing.pair("123456", Tablet, hashA),
              "No code is on offer: choose Pair a device first.");
    pairing.offerCode("123456");
    EXPECT_EQ(pairing.pair("123456", "", hashA), "Give the device a name.");
    EXPECT_EQ(pairing.pair("123456", std::string(41, 'x'), hashA),
              "The name is longer than 40 characters.");
    EXPECT_EQ(pairing.pair("123456", "tab\x01", hashA), "The name holds a control character.");
    EXPECT_EQ(pairing.pair("123456", "\xff", hashA), "The name is not valid text.");
    EXPECT_EQ(pairing.pair("123456", Tablet, hashA), "");
    EXPECT_EQ(record(Kind::DevicePaired), "device-paired device=\"Flight director's tablet\"");
    // Used once: a second device cannot take it.
    EXPECT_EQ(pairing.pair("123456", "Second", hashB),
              "No code is on offer: choose Pair a device first.");
    EXPECT_EQ(record(Kind::PairingRefused),
              "pairing-refused reason=\"No code is on offer: choose Pair a device first.\"");
    pairing.offerCode("654321");
    advance(120s);
    EXPECT_FALSE(pairing.code());
    EXPECT_EQ(pairing.pair("654321", "Second", hashB),
              "That code has expired: choose Pair a device again.");
    EXPECT_EQ(refusals(), 7);

    // The devices outlive the program: the next run knows them, and only by the hash.
    Pairing next(app);
    ASSERT_EQ(next.devices().size(), 1u);
    EXPECT_EQ(next.devices()[0].name, Tablet);
    EXPECT_TRUE(next.recognise(hashA));
    EXPECT_FALSE(next.recognise(hashB));
}

TEST_F(PairingTest, FiveWrongCodesLockPairingForEveryoneForAMinute) {
    Pairing pairing(app);
    pairing.offerCode("123456");
    for (const char* guess : {"000000", "111111", "222222", "333333"})
        EXPECT_EQ(pairing.pair(guess, "Guess", hashB), "That is not the code.");
    EXPECT_EQ(pairing.lockedForMs(), 0);
    EXPECT_EQ(pairing.pair("12345", "Guess", hashB), "That is not the code.");
    // Locked: the right code too waits out the minute.
    EXPECT_EQ(pairing.pair("123456", Tablet, hashA),
              "Pairing is locked after too many wrong codes; try again in 60 seconds.");
    advance(59s);
    EXPECT_NE(pairing.pair("123456", Tablet, hashA), "");
    advance(1s);
    EXPECT_EQ(pairing.lockedForMs(), 0);
    EXPECT_EQ(pairing.pair("123456", Tablet, hashA), "");
    EXPECT_EQ(refusals(), 7);
}

TEST_F(PairingTest, AForgottenDeviceIsGoneAndItsConnectionsAreEnded) {
    Pairing pairing(app);
    std::vector<std::string> ended;
    pairing.onForgotten = [&](const std::string& hash) { ended.push_back(hash); };
    for (std::size_t i = 0; i < Pairing::MaxDevices; ++i) {
        pairing.offerCode("123456");
        EXPECT_EQ(pairing.pair("123456", "Tablet " + std::to_string(i),
                               std::string(63, 'a') + char('0' + i)),
                  "");
    }
    pairing.offerCode("123456");
    EXPECT_EQ(pairing.pair("123456", "Ninth", hashB),
              "Eight devices are paired already: forget one first.");
    pairing.forget(0);
    EXPECT_EQ(ended, std::vector<std::string>{std::string(63, 'a') + '0'});
    EXPECT_EQ(record(Kind::DeviceForgotten), "device-forgotten device=\"Tablet 0\"");
    EXPECT_FALSE(pairing.recognise(std::string(63, 'a') + '0'));
    pairing.forgetAll();
    EXPECT_TRUE(pairing.devices().empty());
    EXPECT_EQ(ended.size(), Pairing::MaxDevices);
    EXPECT_TRUE(Pairing(app).devices().empty());
}

} // namespace
} // namespace orvane::test
