#include "shell/frmTips.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "dates/datetime.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace orvane {

namespace {

constexpr const char* OptionsSection = "Options";
constexpr const char* ShowTipsKey = "Show Tips at Startup";

// The Help menu's check mark always says whether tips show at start-up.
void showTipsEnabled(App& app, bool enabled) {
    if (frmOrvane* main = app.loaded<frmOrvane>())
        main->showTipsEnabled(enabled);
}

std::string missingTipsText() {
    return std::string("That the ") + TipsFileName + " file was not found? " + "\r\n\r\n" +
           "Create a text file named " + TipsFileName + " using NotePad with 1 tip per line. " +
           "Then place it in the same directory as the application. ";
}

} // namespace

frmTips::frmTips(App& app) : Form(app.services(), "frmTips"), m_app(app) {
    setCaption("Orvane Tip of the Day");
    setCentered(true);
    move(0, 0, 6435, 3780);

    Picture1.move(120, 120, 4815, 2895);
    Picture1.setBorderStyle(1);
    Picture1.setBackColor(0xFFFFFF);
    imgTip.setContainer(&Picture1);
    imgTip.move(180, 180, 600, 600);
    lblDidYouKnow.setContainer(&Picture1);
    lblDidYouKnow.setCaption("Did you know...");
    lblDidYouKnow.move(960, 240, 3675, 420);
    lblDidYouKnow.setFont(Font{12, true, {}});
    lblDidYouKnow.setTransparent(true);
    lblDidYouKnow.setWordWrap(false);
    lblTipText.setContainer(&Picture1);
    lblTipText.setCaption("Right-click the count for the commands you need most, even on the "
                          "compact screen without its menus.");
    lblTipText.move(960, 840, 3675, 1920);
    lblTipText.setFont(Font{10, false, {}});
    lblTipText.setTransparent(true);

    cmdOK.setCaption("OK");
    cmdOK.setDefault(true);
    cmdOK.move(5085, 120, 1215, 390);
    cmdNextTip.setCaption("&Next Tip");
    cmdNextTip.move(5085, 600, 1215, 390);
    chkLoadTipsAtStartup.setCaption("&Show Tips at Startup");
    chkLoadTipsAtStartup.setToolTipText(
        "You can also enable or disable the Tip of the Day in the Help Menu.");
    chkLoadTipsAtStartup.move(120, 3180, 4815, 375);

    onLoad = [this] {
        const bool show = ShowAtStartup();
        showTipsEnabled(m_app, show);
        if (!show) {
            hide();
            return;
        }
        this->show();
        chkLoadTipsAtStartup.setValue(1);
        services().process.randomize();
        if (!LoadTips(TipsFile()))
            lblTipText.setCaption(missingTipsText());
    };
    cmdNextTip.onClick = [this] { PickTip(); };
    cmdOK.onClick = [this] { m_app.unload(*this); };
    onKeyPress = [this](int key) {
        if (key == 27)
            m_app.unload(*this);
    };
    chkLoadTipsAtStartup.onClick = [this] {
        SaveShowAtStartup(chkLoadTipsAtStartup.value());
        showTipsEnabled(m_app, chkLoadTipsAtStartup.value() == 1);
    };
}

bool frmTips::ShowAtStartup() const {
    const std::string stored =
        services().settings.get(m_app.info().exeName, OptionsSection, ShowTipsKey,
                                std::to_string(chkLoadTipsAtStartup.value()));
    return leadingNumber(stored) != 0;
}

void frmTips::SaveShowAtStartup(int value) {
    services().settings.save(m_app.info().exeName, OptionsSection, ShowTipsKey,
                             std::to_string(value));
}

std::string frmTips::TipsFile() const {
    namespace fs = std::filesystem;
    const fs::path folder(m_app.info().programDir);
    const fs::path beside = folder / TipsFileName;
    const fs::path shared = folder / ".." / "share" / "orvane" / TipsFileName;
    std::error_code ignored;
    if (!fs::is_regular_file(beside, ignored) && fs::is_regular_file(shared, ignored))
        return shared.lexically_normal().string();
    return beside.string();
}

bool frmTips::LoadTips(const std::string& fileName) {
    std::error_code ignored;
    if (fileName.empty() || !std::filesystem::is_regular_file(fileName, ignored))
        return false;
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        // A tips file written on another system may end its lines with CR LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        m_tips.push_back(std::move(line));
    }
    PickTip();
    return true;
}

void frmTips::PickTip() {
    const double r = services().process.random();
    m_currentTip = std::min(int(r * double(m_tips.size()) + 1), int(m_tips.size()));
    DisplayCurrentTip();
}

void frmTips::DisplayCurrentTip() {
    if (m_tips.empty())
        return;
    lblTipText.setCaption(m_tips[std::size_t(m_currentTip - 1)]);
}

void ToggleTipOfTheDay(App& app) {
    Services& s = app.services();
    auto& tips = app.form<frmTips>();
    if (tips.ShowAtStartup()) {
        tips.chkLoadTipsAtStartup.setValue(0);
        s.settings.save(app.info().exeName, OptionsSection, ShowTipsKey, "0");
        showTipsEnabled(app, false);
        app.unload(tips);
        return;
    }
    tips.chkLoadTipsAtStartup.setValue(1);
    s.settings.save(app.info().exeName, OptionsSection, ShowTipsKey, "1");
    app.unload(tips);
    const Answer a = s.dialogs.messageBox(
        "Tip of the Day is now enabled.  Would you like to view the Tip of the Day now?",
        Buttons::YesNo, Icon::Question, app.info().title);
    if (a == Answer::Yes) {
        app.form<frmTips>();
        showTipsEnabled(app, true);
    }
}

} // namespace orvane
