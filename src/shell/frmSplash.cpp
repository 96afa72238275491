#include "shell/frmSplash.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"

#include <string>

namespace orvane {

frmSplash::frmSplash(App& app) : Form(app.services(), "frmSplash"), m_app(app) {
    setBorderStyle(0);
    setCentered(true);
    setTopMost(true);
    setBackColor(0x402000);
    move(0, 0, 7380, 4080);

    Frame1.move(120, 60, 7140, 3900);
    Frame1.setBackColor(0x402000);
    imgLogo.setContainer(&Frame1);
    imgLogo.move(240, 360, 2280, 2280);

    auto text = [this](Label& l, std::string caption, int top, int height, Font f) {
        l.setContainer(&Frame1);
        l.setCaption(std::move(caption));
        l.move(2760, top, 4200, height);
        l.setFont(std::move(f));
        l.setTransparent(true);
        l.setForeColor(0xFFFFFF);
        l.setWordWrap(false);
    };
    text(lblProductName, "", 360, 840, Font{30, true, {}});
    text(lblVersion, "Version", 1260, 330, Font{10, false, {}});
    text(lblPlatform, app.info().platform, 1590, 330, Font{10, false, {}});
    text(lblDescription, "A launch clock for mission simulations", 2040, 600, Font{9, false, {}});
    lblDescription.setWordWrap(true);

    lblLoadingData.setContainer(&Frame1);
    lblLoadingData.setCaption("Loading data . . .");
    lblLoadingData.move(240, 2880, 6660, 300);
    lblLoadingData.setTransparent(true);
    lblLoadingData.setForeColor(0xFFFFFF);
    ProgressBar1.setContainer(&Frame1);
    ProgressBar1.move(240, 3240, 6660, 300);
    ProgressBar1.setRange(0, 2250);

    onLoad = [this] {
        const AppInfo& info = m_app.info();
        lblVersion.setCaption("Version " + std::to_string(info.major) + "." +
                              std::to_string(info.minor) + "." + std::to_string(info.revision));
        lblProductName.setCaption(info.title);
        // Touching the two windows loads them, event timers first; neither takes input until
        // the splash has gone.
        m_app.frmEventTimers().setEnabled(false);
        m_app.frmOrvane().setEnabled(false);
    };
    onKeyPress = [this](int) { close(); };
    Frame1.onClick = [this] { close(); };
    tmrSplash.onTimer = [this] { close(); };
    Timer1.onTimer = [this] { lblLoadingData.setVisible(false); };
    onUnload = [this] {
        m_app.frmEventTimers().setEnabled(true);
        m_app.frmOrvane().setEnabled(true);
    };
}

void frmSplash::close() {
    m_app.unload(*this);
}

} // namespace orvane
