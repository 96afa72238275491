#include "clock/frmPresent.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"

#include <algorithm>

namespace orvane {

namespace {

Font presentFont(bool fixedPitch) {
    return Font{72, true, fixedPitch ? "DejaVu Sans Mono" : ""};
}

std::string daysText(std::int64_t days) {
    return std::to_string(days) + (days == 1 ? " day" : " days");
}

} // namespace

// The one place the present window learns the count: the main window's typed state, never
// its captions.
PresentedCount countToPresent(App& app) {
    const frmOrvane& main = app.frmOrvane();
    const ShownCount shown = main.shownCount();
    const std::int64_t t = shown.secondsToLaunch();
    return {shown.sign == ShownCount::Sign::Plus, t > 0 ? t : -t, main.held(), main.launchTime()};
}

frmPresent::frmPresent(App& app) : Form(app.services(), "frmPresent"), m_app(app) {
    setCaption("Present Count");
    setBorderStyle(0);
    setTopMost(true);
    setBackColor(LightRed);

    for (Label* l : {&lblTMinus, &lblDays, &lblClock, &lblTarget}) {
        l->setFitText(true);
        l->setCentredVertically(true);
        l->setWordWrap(false);
        l->setAlignment(Align::Center);
        l->onDblClick = [this] { Leave(); };
    }
    lblTMinus.setCaption("T -");
    lblTMinus.setTransparent(true);
    lblTMinus.setFont(presentFont(false));
    lblDays.setFont(presentFont(false));
    lblDays.setTransparent(true);
    lblDays.setAlignment(Align::Left);
    lblDays.setVisible(false);
    // Every character of the count is as wide as the others, so nothing moves as it turns.
    lblClock.setFont(presentFont(true));
    lblClock.setBackColor(LightGrey);
    lblClock.setCaption("00:00:00");
    lblTarget.setFont(presentFont(false));
    lblTarget.setBackColor(LightGrey);

    coverMonitor(app.displays().monitors().front());

    tmrPresent.setPace(Timer::Pace::Second);
    tmrPresent.onTimer = [this] { ShowPresentCount(); };
    onDblClick = [this] { Leave(); };
    // Esc leaves the present window; it is not the main window's, so it never asks to exit.
    onKeyPress = [this](int keyAscii) {
        if (keyAscii == 27)
            Leave();
    };
    onLoad = [this] { ShowPresentCount(); };
}

void frmPresent::coverMonitor(const Monitor& monitor) {
    move(monitor.left, monitor.top, monitor.width, monitor.height);
    layOut();
}

// Proportions of the monitor: the sign and the days across the top, meeting in the middle,
// the hours, minutes and seconds in the middle two thirds, the launch time along the foot.
void frmPresent::layOut() {
    const int w = width();
    const int h = height();
    const int margin = w * 3 / 100;
    const int inner = w - 2 * margin;
    const int rowTop = h * 3 / 100;
    const int rowHeight = h * 15 / 100;
    if (lblDays.visible()) {
        const int gap = w * 2 / 100;
        lblTMinus.setAlignment(Align::Right);
        lblTMinus.move(margin, rowTop, w / 2 - gap / 2 - margin, rowHeight);
        lblDays.move(w / 2 + gap / 2, rowTop, w / 2 - gap / 2 - margin, rowHeight);
    } else {
        lblTMinus.setAlignment(Align::Center);
        lblTMinus.move(margin, rowTop, inner, rowHeight);
    }
    lblClock.move(margin, h * 20 / 100, inner, h * 66 / 100);
    lblTarget.move(margin, h * 88 / 100, inner, h * 9 / 100);
}

void frmPresent::ShowPresentCount() {
    const PresentedCount count = countToPresent(m_app);
    setBackColor(count.afterLiftoff ? Green : LightRed);
    lblTMinus.setCaption(count.afterLiftoff ? "T +" : "T -");
    const std::int64_t days = count.seconds / 86400;
    const bool showDays = days > 0;
    if (showDays != lblDays.visible()) {
        lblDays.setVisible(showDays);
        layOut();
    }
    if (showDays)
        lblDays.setCaption(daysText(days));
    const std::int64_t rest = count.seconds % 86400;
    lblClock.setCaption(formatNumber(rest / 3600, "00") + ":" + formatNumber(rest / 60 % 60, "00") +
                        ":" + formatNumber(rest % 60, "00"));
    lblClock.setBackColor(count.held ? Yellow : LightGrey);
    lblTarget.setCaption(formatDate(count.launch, "mmmm d, yyyy   h:mm:ss AM/PM"));
}

void frmPresent::Leave() {
    m_app.unload(*this);
}

void PresentCount(App& app) {
    const std::vector<Monitor> monitors = app.displays().monitors();
    if (monitors.size() > 1) {
        auto& picker = app.form<frmPresentScreen>();
        picker.offer(monitors);
        picker.show();
        return;
    }
    auto& present = app.form<frmPresent>();
    present.coverMonitor(monitors.front());
    present.show();
}

void registerPresentWindows(App& app) {
    app.registerForm<frmPresent>("frmPresent");
    app.registerForm<frmPresentScreen>("frmPresentScreen");
}

} // namespace orvane
