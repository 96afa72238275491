// Reading and writing launch data files through the program: what lands on disk, and that a
// save that fails lets nothing go on as if it had worked.

#include "data/launch_format.h"
#include "events/frmEventTimers.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace orvane::test {
namespace {

class LaunchFileTest : public AppTest {
  protected:
    LaunchFileTest() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-file-XXXXXX").string();
        EXPECT_TRUE(mkdtemp(pattern.data()));
        folder = pattern;
        app.services().info.programDir = folder;
    }
    ~LaunchFileTest() override { std::filesystem::remove_all(folder); }

    std::string fileContent(const std::string& name) const {
        std::ifstream in(folder + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void menu(MenuItem& item) {
        world.scheduler.deliver([&] { item.click(); });
    }

    std::string folder;
};

TEST_F(LaunchFileTest, ARunThatNeverSetAnEventWritesEachBlockWithNothingForTagAndSign) {
    startAndSettle();
    menu(main().control<MenuItem>("mnuSave"));
    const std::string content = fileContent("launch.ovx");
    ASSERT_TRUE(content.ends_with("\r\n"));
    EXPECT_NE(content.find(",\"000\",,0,,#TRUE#,\"\",\"Event #1\",,0,,#TRUE#,\"\",\"Event #2\","),
              std::string::npos)
        << content;
    const LaunchFileRead read = parseLaunchFile(content);
    ASSERT_TRUE(read.data) << read.problem;
    EXPECT_EQ(read.data->savePath, folder + "/launch.ovx");
}

// Guards against going on as if a failed save had worked: the exit prompt's Yes must not say
// the file was saved nor end the program, and Open's Yes must not go on to the Open dialog.
TEST_F(LaunchFileTest, AfterAFailedSaveNothingGoesOnAsIfItHadWorked) {
    startAndSettle();
    world.files.refuseWrites = "No space left on device";
    const std::string failed =
        "Orvane could not save " + folder + "/launch.ovx: No space left on device.";

    answer(Answer::Yes);
    answer(Answer::OK);
    key(main(), 27);
    EXPECT_EQ(lastMessage().text, failed);
    EXPECT_EQ(lastMessage().icon, Icon::Exclamation);
    EXPECT_FALSE(app.ended());

    answer(Answer::Yes);
    answer(Answer::OK);
    menu(main().control<MenuItem>("mnuOpen"));
    EXPECT_EQ(lastMessage().text, failed) << "no \"You may now open a new file\"";
    EXPECT_EQ(messageCount(), 4u);
    EXPECT_FALSE(std::filesystem::exists(folder + "/launch.ovx"));

    world.files.refuseWrites.clear();
    answer(Answer::Yes);
    answer(Answer::OK);
    key(main(), 27);
    EXPECT_EQ(lastMessage().text, "Your file has been saved in " + folder + "/launch.ovx");
    EXPECT_TRUE(app.ended());
}

// Where the program's folder cannot be written, the default file lives in the user's own.
TEST_F(LaunchFileTest, TheUsersDataFolderStandsInForAProgramFolderThatCannotBeWritten) {
    app.services().info.programDir = folder + "/missing";
    world.files.userData = folder;
    startAndSettle();
    EXPECT_EQ(app.launchFileNames().savePath, folder + "/launch.ovx");
    EXPECT_EQ(main().control<StatusBar>("sbrStatusBar").panel("pnlCurrentFile")->text(),
              folder + "/launch.ovx");
}

TEST_F(LaunchFileTest, AnInstalledProgramKeepsItsFileInTheUsersFolderEvenWhereItCouldWrite) {
    // Root may write anywhere, so a shared folder's modes alone would not keep it clean.
    app.services().info.installed = true;
    world.files.userData = folder + "/user";
    std::filesystem::create_directory(world.files.userData);
    startAndSettle();
    EXPECT_EQ(app.launchFileNames().savePath, folder + "/user/launch.ovx");
}

// Regression: a pipe hung the program until someone wrote to it, /dev/zero filled its memory
// and a 100 MB file was read whole before it was refused. Each is now refused at once, says
// why, and changes nothing.
TEST_F(LaunchFileTest, FilesThatAreNoLaunchDataFilesAreRefusedAtOnce) {
    startAndSettle();
    const std::string fifo = folder + "/pipe.ovx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = folder + "/big.ovx";
    std::ofstream{big}.close();
    std::filesystem::resize_file(big, 100 * 1024 * 1024);
    const std::string target = main().control<Label>("lblTarget").caption();
    const struct {
        std::string path;
        std::string problem;
    } cases[] = {
        {fifo, "it is not a file but a pipe, a socket or a device"},
        {"/dev/zero", "it is not a file but a pipe, a socket or a device"},
        {big, "it is larger than 64 KiB, too large for a launch data file"},
    };
    for (const auto& c : cases) {
        world.dialogs.queueFile(c.path);
        answer(Answer::OK);
        dblClick(*main().control<StatusBar>("sbrStatusBar").panel("pnlCurrentFile"));
        EXPECT_EQ(lastMessage().text, "Orvane could not read " + c.path + ": " + c.problem + ".");
        EXPECT_EQ(main().control<Label>("lblTarget").caption(), target);
    }
    advance(1s);
    EXPECT_EQ(main().control<Label>("lblTarget").caption(), target);
}

// A file of the largest size still reads, whatever its names hold; a save over a file that
// was too large keeps it whole beside the new one.
// Regression: a save replaced a device, a pipe or a socket it was pointed at with a file.
// Each is refused, said, and left as it was, with nothing left beside it.
TEST_F(LaunchFileTest, ASaveOverWhatIsNoRegularFileIsRefusedAndLeavesItAsItWas) {
    startAndSettle();
    const std::string fifo = folder + "/pipe.ovx";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string dir = folder + "/folder.ovx";
    std::filesystem::create_directory(dir);
    const std::string link = folder + "/link.ovx";
    std::filesystem::create_symlink(fifo, link);
    const struct {
        std::string path;
        std::string problem;
        std::filesystem::file_type type;
    } cases[] = {
        {fifo, "it is a pipe, not a file", std::filesystem::file_type::fifo},
        {dir, "it is a folder, not a file", std::filesystem::file_type::directory},
        {link, "it is a pipe, not a file", std::filesystem::file_type::fifo},
    };
    for (const auto& c : cases) {
        world.dialogs.queueFile(c.path);
        answer(Answer::OK);
        menu(main().control<MenuItem>("mnuSaveAs"));
        EXPECT_EQ(lastMessage().text, "Orvane could not save " + c.path + ": " + c.problem + ".");
        EXPECT_EQ(std::filesystem::status(c.path).type(), c.type);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);
    EXPECT_NE(app.launchFileNames().savePath, fifo);
}

TEST_F(LaunchFileTest, OnlyTheSizeLimitRefusesAFileForItsLength) {
    startAndSettle();
    menu(main().control<MenuItem>("mnuSave"));
    std::string content = fileContent("launch.ovx");
    const std::string name = "\"Event #10\"";
    const std::size_t at = content.rfind(name);
    ASSERT_NE(at, std::string::npos);
    // 64 KiB, as the message says.
    constexpr std::size_t Limit = 64 * 1024;
    const std::size_t room = Limit - content.size();
    content.replace(at, name.size(), "\"" + std::string(room + 9, 'n') + "\"");
    ASSERT_EQ(content.size(), Limit);
    std::ofstream(folder + "/launch.ovx", std::ios::binary) << content;
    menu(main().control<MenuItem>("mnuRevert"));
    EXPECT_EQ(app.frmEventTimers().control<Label>("lblName", 9).caption().size(), room + 9);

    std::ofstream(folder + "/launch.ovx", std::ios::binary | std::ios::app) << "x";
    answer(Answer::OK);
    menu(main().control<MenuItem>("mnuRevert"));
    EXPECT_EQ(lastMessage().text, "Orvane could not read " + folder +
                                      "/launch.ovx: it is larger than 64 KiB, too large for a "
                                      "launch data file.");
    menu(main().control<MenuItem>("mnuSave"));
    EXPECT_EQ(fileContent("launch.ovx.bad").size(), Limit + 1);
}

// Regression: a box holding "7" came back as "07" from a second save, and a scroll bar that
// disagreed with its box moved on Revert.
TEST_F(LaunchFileTest, SaveReadSaveReadGivesTheSameBytes) {
    startAndSettle();
    click(main().control<CommandButton>("cmdAccess"));
    type(main().control<ScrollBar>("vsbMinutes"), "12");
    type(main().control<TextBox>("txtMinutes"), "7");
    type(main().control<TextBox>("txtHours"), "");
    menu(main().control<MenuItem>("mnuSave"));
    const std::string first = fileContent("launch.ovx");
    menu(main().control<MenuItem>("mnuRevert"));
    menu(main().control<MenuItem>("mnuSave"));
    EXPECT_EQ(fileContent("launch.ovx"), first);
    menu(main().control<MenuItem>("mnuRevert"));
    EXPECT_EQ(main().control<TextBox>("txtMinutes").text(), "7");
    EXPECT_EQ(main().control<ScrollBar>("vsbMinutes").value(), 12);
    EXPECT_EQ(main().control<TextBox>("txtHours").text(), "");
}

// While the exit question waits, the program runs on: a second way out (the close button, the
// launch window's lock) joins the question asked, so the file is saved and said saved once.
TEST_F(LaunchFileTest, ASecondWayOutWhileTheExitQuestionWaitsSavesAndSaysSoOnce) {
    startAndSettle();
    bool asked = false;
    world.dialogs.transcript = [&](const std::string& line) {
        if (line.find("Do you want to save") != std::string::npos && !std::exchange(asked, true))
            app.closeRequested(main());
    };
    answer(Answer::Yes);
    answer(Answer::OK);
    key(main(), 27);
    EXPECT_TRUE(app.ended());
    ASSERT_EQ(messageCount(), 2u);
    EXPECT_EQ(lastMessage().text, "Your file has been saved in " + folder + "/launch.ovx");
    EXPECT_FALSE(world.dialogs.failure()) << *world.dialogs.failure();
}

TEST_F(LaunchFileTest, ALockThatComesWhileTheExitQuestionWaitsTakesAwayItsCancel) {
    startAndSettle();
    bool asked = false;
    world.dialogs.transcript = [&](const std::string& line) {
        if (line.find("Do you want to save") != std::string::npos && !std::exchange(asked, true))
            main().ConfirmExit(true);
    };
    answer(Answer::Cancel);
    answer(Answer::No);
    key(main(), 27);
    ASSERT_EQ(messageCount(), 2u);
    EXPECT_EQ(world.dialogs.shown()[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(world.dialogs.shown()[1].buttons, Buttons::YesNo);
    EXPECT_TRUE(app.ended());
    EXPECT_FALSE(world.dialogs.failure()) << *world.dialogs.failure();
}

} // namespace
} // namespace orvane::test
