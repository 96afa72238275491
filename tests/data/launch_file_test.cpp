// Reading and writing launch data files through the program: what lands on disk, and that a
// save that fails lets nothing go on as if it had worked.

#include "data/launch_format.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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
    menu(main().mnuSave);
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
    menu(main().mnuOpen);
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
    EXPECT_EQ(main().sbrStatusBar.panel("pnlCurrentFile")->text(), folder + "/launch.ovx");
}

TEST_F(LaunchFileTest, AnInstalledProgramKeepsItsFileInTheUsersFolderEvenWhereItCouldWrite) {
    // Root may write anywhere, so a shared folder's modes alone would not keep it clean.
    app.services().info.installed = true;
    world.files.userData = folder + "/user";
    std::filesystem::create_directory(world.files.userData);
    startAndSettle();
    EXPECT_EQ(app.launchFileNames().savePath, folder + "/user/launch.ovx");
}

} // namespace
} // namespace orvane::test
