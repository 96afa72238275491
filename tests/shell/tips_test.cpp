// Where the tip of the day finds its file, and how it reads it: what the scenario scripts
// cannot reach, since their files live only in the program's folder.

#include "shell/frmTips.h"
#include "support/app_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

namespace orvane::test {
namespace {

namespace fs = std::filesystem;

class TipsTest : public AppTest {
  protected:
    TipsTest() {
        std::string pattern = (fs::temp_directory_path() / "orvane-tips-XXXXXX").string();
        EXPECT_TRUE(mkdtemp(pattern.data()));
        m_root = pattern;
        fs::create_directories(m_root / "bin");
        app.services().info.programDir = (m_root / "bin").string();
    }
    ~TipsTest() override { fs::remove_all(m_root); }

    void write(const fs::path& relative, const std::string& text) {
        fs::create_directories((m_root / relative).parent_path());
        std::ofstream(m_root / relative, std::ios::binary) << text;
    }
    frmTips& tips() { return app.form<frmTips>(); }

    fs::path m_root;
};

TEST_F(TipsTest, AnInstalledCopyFindsItsTipsInTheShareFolder_ButTipsBesideTheProgramComeFirst) {
    write("share/orvane/ORVANETIPS.TXT", "shared\n");
    EXPECT_EQ(tips().TipsFile(), (m_root / "share/orvane/ORVANETIPS.TXT").string());
    write("bin/ORVANETIPS.TXT", "beside\n");
    EXPECT_EQ(tips().TipsFile(), (m_root / "bin/ORVANETIPS.TXT").string());
}

TEST_F(TipsTest, WithNoTipsFileAnywhereTheProgramsFolderIsNamed) {
    EXPECT_EQ(tips().TipsFile(), (m_root / "bin/ORVANETIPS.TXT").string());
    EXPECT_FALSE(tips().LoadTips(tips().TipsFile()));
    EXPECT_FALSE(tips().LoadTips(""));
    // A folder of that name is no tips file.
    fs::create_directories(m_root / "bin/ORVANETIPS.TXT");
    EXPECT_FALSE(tips().LoadTips(tips().TipsFile()));
    EXPECT_TRUE(tips().tips().empty());
}

TEST_F(TipsTest, EveryLineIsATip_EmptyOnesToo_InFileOrder) {
    write("bin/ORVANETIPS.TXT", "first\n\nthird\r\nlast without a line end");
    ASSERT_TRUE(tips().LoadTips(tips().TipsFile()));
    EXPECT_EQ(tips().tips(),
              (std::vector<std::string>{"first", "", "third", "last without a line end"}));
}

TEST_F(TipsTest, EveryTipComesUpAtRandom) {
    write("bin/ORVANETIPS.TXT", "a\nb\nc\n");
    ASSERT_TRUE(tips().LoadTips(tips().TipsFile()));
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        tips().cmdNextTip.click();
        seen.insert(tips().lblTipText.caption());
    }
    EXPECT_EQ(seen, (std::set<std::string>{"a", "b", "c"}));
}

} // namespace
} // namespace orvane::test
