#include "app.h"
#include "clock/frmOrvane.h"
#include "clock/frmPresent.h"

namespace orvane {

frmPresentScreen::frmPresentScreen(App& app)
    : Form(app.services(), "frmPresentScreen"), m_app(app) {
    setCaption("Present Count");
    setCentered(true);
    move(0, 0, 6000, 1260 + 420 * MaxMonitors);

    lblPrompt.setCaption("Show the count full size on:");
    lblPrompt.move(240, 180, 5520, 300);
    lblPrompt.setTransparent(true);
    lblPrompt.setWordWrap(false);
    for (int i = 0; i < MaxMonitors; ++i) {
        optMonitor[i].move(360, 600 + 420 * i, 5400, 360);
        optMonitor[i].setVisible(false);
        optMonitor[i].onDblClick = [this] { PresentChosen(); };
    }
    cmdPresent.setCaption("&Present");
    cmdPresent.setDefault(true);
    cmdPresent.onClick = [this] { PresentChosen(); };
    cmdCancel.setCaption("Cancel");
    cmdCancel.setCancel(true);
    cmdCancel.onClick = [this] { m_app.unload(*this); };
    onKeyPress = [this](int keyAscii) {
        if (keyAscii == 27)
            m_app.unload(*this);
    };
}

void frmPresentScreen::offer(std::vector<Monitor> monitors) {
    if (monitors.size() > std::size_t(MaxMonitors))
        monitors.resize(MaxMonitors);
    m_monitors = std::move(monitors);
    const int count = int(m_monitors.size());
    for (int i = 0; i < MaxMonitors; ++i) {
        optMonitor[i].setVisible(i < count);
        if (i < count) {
            std::string caption = "&";
            caption += std::to_string(i + 1);
            caption += "  ";
            caption += m_monitors[i].describe();
            optMonitor[i].setCaption(caption);
        }
    }
    const int buttonsTop = 600 + 420 * count + 120;
    cmdPresent.move(2400, buttonsTop, 1560, 420);
    cmdCancel.move(4080, buttonsTop, 1560, 420);
    setHeight(buttonsTop + 420 + 600);

    int chosen =
        findRemembered(m_monitors, services().settings.get(m_app.info().exeName, PresentSection,
                                                           PresentMonitorKey, ""));
    if (chosen < 0) {
        // A room's screen is seldom the one the operator works on.
        const frmOrvane& main = m_app.frmOrvane();
        const int mainOn =
            monitorOf(m_monitors, main.left(), main.top(), main.width(), main.height());
        chosen = mainOn == 0 && count > 1 ? 1 : 0;
    }
    optMonitor[chosen].setValue(true);
}

void frmPresentScreen::PresentChosen() {
    int chosen = -1;
    for (int i = 0; i < int(m_monitors.size()); ++i)
        if (optMonitor[i].value())
            chosen = i;
    if (chosen < 0)
        return;
    const Monitor monitor = m_monitors[chosen];
    services().settings.save(m_app.info().exeName, PresentSection, PresentMonitorKey,
                             monitor.key());
    m_app.unload(*this);
    auto& present = m_app.form<frmPresent>();
    present.coverMonitor(monitor);
    present.show();
}

} // namespace orvane
