#include "clock/frmPresent.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"

#include <algorithm>
#include <utility>

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
    PresentedCount count;
    count.afterLiftoff = shown.sign == ShownCount::Sign::Plus;
    count.seconds = t > 0 ? t : -t;
    count.held = main.held();
    count.launch = main.launchTime();
    const Instant now = app.services().clock.instant();
    if (const auto plan = PlanRun::shown(main, now)) {
        count.lCount = plan->lCount;
        count.liftoff = "Liftoff " + formatDate(plan->liftoffWall, "h:mm:ss AM/PM");
    }
    return count;
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
    // The word says what the yellow says, for a viewer who cannot tell the colour or a
    // projector that washes it out.
    lblHold.setCaption("HOLD");
    lblHold.setFont(presentFont(false));
    lblHold.setBackColor(Yellow);
    lblHold.setVisible(false);
    for (Label* l : {&lblLCount, &lblLiftoff}) {
        l->setFitText(true);
        l->setCentredVertically(true);
        l->setWordWrap(false);
        l->setFont(presentFont(l == &lblLCount));
        l->setBackColor(LightGrey);
        l->setVisible(false);
    }
    mnuPresentPopUp.setVisible(false);

    coverMonitor(app.displays().monitors().front());

    tmrPresent.setPace(Timer::Pace::Second);
    tmrPresent.onTimer = [this] { ShowPresentCount(); };
    onDblClick = [this] { Leave(); };
    // Esc leaves the present window; it is not the main window's, so it never asks to exit.
    // The space bar is the hold button's, which the main window greys until holds are armed.
    onKeyPress = [this](int keyAscii) {
        if (keyAscii == 27)
            Leave();
        else if (keyAscii == ' ')
            PressMainCommand("cmdHoldResume");
    };
    auto popUp = [this](MouseButton button) {
        if (button != MouseButton::Right)
            return;
        ShowHoldCommands();
        popupMenu(mnuPresentPopUp);
    };
    onMouseUp = popUp;
    for (Label* l :
         {&lblTMinus, &lblDays, &lblClock, &lblTarget, &lblHold, &lblLCount, &lblLiftoff})
        l->onMouseUp = popUp;
    mnuPrHold.onClick = [this] { PressMainCommand("mnuHold"); };
    mnuPrHoldEnable.onClick = [this] { PressMainCommand("mnuHoldEnable"); };
    mnuPrLeave.onClick = [this] { Leave(); };
    onLoad = [this] { ShowPresentCount(); };
}

void frmPresent::ShowHoldCommands() {
    frmOrvane& main = m_app.frmOrvane();
    for (auto [mine, theirs] :
         {std::pair{&mnuPrHold, "mnuHold"}, std::pair{&mnuPrHoldEnable, "mnuHoldEnable"}}) {
        const MenuItem& item = main.control<MenuItem>(theirs);
        mine->setCaption(item.caption());
        mine->setEnabled(item.acceptsInput());
    }
}

void frmPresent::PressMainCommand(const char* name) {
    Control& command = m_app.frmOrvane().control<Control>(name);
    if (command.acceptsInput())
        command.click();
    ShowPresentCount();
}

void frmPresent::coverMonitor(const Monitor& monitor) {
    move(monitor.left, monitor.top, monitor.width, monitor.height);
    layOut();
}

// Proportions of the monitor: the sign, the days and a hold across the top,
// the hours, minutes and seconds in the middle two thirds, the launch time along the foot.
void frmPresent::layOut() {
    const int w = width();
    const int h = height();
    const int margin = w * 3 / 100;
    const int inner = w - 2 * margin;
    const int rowTop = h * 3 / 100;
    const int rowHeight = h * 15 / 100;
    // The sign, the days when there are any and the word HOLD during a hold share the top
    // row in equal parts; the sign alone stands in its middle.
    const bool days = lblDays.visible();
    const bool hold = lblHold.visible();
    if (days || hold) {
        const int gap = w * 2 / 100;
        const int parts = 1 + int(days) + int(hold);
        const int part = (inner - gap * (parts - 1)) / parts;
        lblTMinus.setAlignment(Align::Right);
        lblTMinus.move(margin, rowTop, part, rowHeight);
        int x = margin + part + gap;
        if (days) {
            lblDays.move(x, rowTop, part, rowHeight);
            x += part + gap;
        }
        if (hold)
            lblHold.move(x, rowTop, part, rowHeight);
    } else {
        lblTMinus.setAlignment(Align::Center);
        lblTMinus.move(margin, rowTop, inner, rowHeight);
    }
    // With a plan the L count and liftoff take a row beneath the count.
    if (lblLCount.visible()) {
        lblClock.move(margin, h * 20 / 100, inner, h * 46 / 100);
        lblLCount.move(margin, h * 68 / 100, inner * 62 / 100, h * 17 / 100);
        lblLiftoff.move(margin + inner * 64 / 100, h * 68 / 100, inner * 36 / 100, h * 17 / 100);
    } else {
        lblClock.move(margin, h * 20 / 100, inner, h * 66 / 100);
    }
    lblTarget.move(margin, h * 88 / 100, inner, h * 9 / 100);
}

void frmPresent::ShowPresentCount() {
    const PresentedCount count = countToPresent(m_app);
    // A follower that has not heard its leader has no count to present, only why.
    const std::optional<std::string> notHeard = m_app.frmOrvane().leaderNotHeard();
    const bool after = count.afterLiftoff && !notHeard;
    setBackColor(after ? Green : LightRed);
    lblTMinus.setCaption(after ? "T +" : "T -");
    const std::int64_t days = count.seconds / 86400;
    const bool showDays = days > 0 && !notHeard;
    if (showDays != lblDays.visible()) {
        lblDays.setVisible(showDays);
        layOut();
    }
    if (showDays)
        lblDays.setCaption(daysText(days));
    const std::int64_t rest = count.seconds % 86400;
    lblClock.setCaption(notHeard ? std::string("--:--:--")
                                 : formatNumber(rest / 3600, "00") + ":" +
                                       formatNumber(rest / 60 % 60, "00") + ":" +
                                       formatNumber(rest % 60, "00"));
    lblClock.setBackColor(count.held ? Yellow : LightGrey);
    if (count.held != lblHold.visible()) {
        lblHold.setVisible(count.held);
        layOut();
    }
    const bool planned = count.lCount && !notHeard;
    if (planned != lblLCount.visible()) {
        lblLCount.setVisible(planned);
        lblLiftoff.setVisible(planned);
        layOut();
    }
    if (planned) {
        lblLCount.setCaption(*count.lCount);
        lblLiftoff.setCaption(*count.liftoff);
    }
    ShowHoldCommands();
    // A paired device's command takes the launch time's place for its few seconds.
    const std::string note = m_app.commandNote();
    lblTarget.setBackColor(note.empty() ? LightGrey : Amber);
    lblTarget.setCaption(!note.empty() ? note
                         : notHeard    ? *notHeard
                                       : formatDate(count.launch, "mmmm d, yyyy   h:mm:ss AM/PM"));
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
