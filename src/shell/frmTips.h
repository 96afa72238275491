#pragma once

// The tip of the day. It is loaded once at start-up and shows itself only when the user asked
// for tips at start-up; each load reads the tips file afresh.

#include "toolkit/controls.h"
#include "toolkit/form.h"

#include <string>
#include <vector>

namespace orvane {

class App;

class frmTips : public Form {
  public:
    explicit frmTips(App& app);

    // Reads the tips file, one tip a line (empty lines too), and shows one at random. False,
    // with nothing read, when there is no such file.
    bool LoadTips(const std::string& fileName);
    void DisplayCurrentTip();
    const std::vector<std::string>& tips() const { return m_tips; }

    // Whether the user wants tips at start-up, as stored, with the check box's present value
    // standing in when nothing is stored.
    bool ShowAtStartup() const;
    // Where the tips file is looked for: beside the program, then in the share folder of an
    // installed copy; the first of these when neither has one.
    std::string TipsFile() const;

    PictureBox Picture1{this, "Picture1"};
    Image imgTip{this, "imgTip", "logo"};
    Label lblDidYouKnow{this, "lblDidYouKnow"};
    Label lblTipText{this, "lblTipText"};
    CommandButton cmdOK{this, "cmdOK"};
    CommandButton cmdNextTip{this, "cmdNextTip"};
    CheckBox chkLoadTipsAtStartup{this, "chkLoadTipsAtStartup"};

  private:
    void PickTip();
    void SaveShowAtStartup(int value);

    App& m_app;
    std::vector<std::string> m_tips;
    int m_currentTip = 0; // 1-based, 0 before the first pick
};

// The Help menu's "Enable Tip of the Day": turns tips at start-up off when they are on;
// turns them on when they are off and offers to show a tip now.
void ToggleTipOfTheDay(App& app);

inline constexpr const char* TipsFileName = "ORVANETIPS.TXT";

} // namespace orvane
