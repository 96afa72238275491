#include "app.h"
#include "clock/frmOrvane.h"
#include "clock/plan_run.h"

namespace orvane {

namespace {

// A date on its own. The general date parsing also takes a time ("10:30") or a date with a
// time ("May 3, 2001 10:30"); neither may stand for the launch date, or the entered hours
// would be added to a time that is already there.
std::optional<DateTime> plainDate(std::string_view text) {
    auto parsed = parseDateText(text);
    if (!parsed || !parsed->hasDate || parsed->hasTime)
        return std::nullopt;
    return parsed->value;
}

// A box's text as a whole number from 0 to max, or empty.
std::optional<int> timePart(const TextBox& box, int max) {
    auto n = parseWholeNumber(box.text());
    if (!n || *n < 0 || *n > max)
        return std::nullopt;
    return int(*n);
}

} // namespace

void frmOrvane::wireEntry() {
    for (TextBox* box : {&txtLaunchDate, &txtHours, &txtMinutes, &txtSeconds})
        box->onChange = [this] { EnableSetLaunchTime(); };

    pairTimeBox(txtHours, vsbHours);
    pairTimeBox(txtMinutes, vsbMinutes);
    pairTimeBox(txtSeconds, vsbSeconds);

    txtLaunchDate.onDblClick = [this] {
        // A box whose text is not a date opens the calendar on the launch date instead.
        const std::optional<DateTime> date = plainDate(txtLaunchDate.text());
        Calendar.setDate(date ? *date : launchTime().date());
        Calendar.setVisible(true);
    };
    Calendar.onDblClick = [this] {
        Calendar.setVisible(false);
        txtLaunchDate.setText(formatDate(Calendar.date(), "mmm d, yyyy"));
    };
    Label10.onClick = [this] { StepLaunchDate(-1); };
    lblTarget.onClick = [this] { StepLaunchDate(1); };

    cmdSet.onClick = [this] { SetLaunchTime(); };
    mnuSetLaunchTime.onClick = [this] { SetLaunchTime(); };

    cmdAccess.onClick = [this] { ToggleScreenSize(); };
    mnuRtAccess.onClick = [this] { ToggleScreenSize(); };
    mnuCompactScreen.onClick = [this] { ToggleScreenSize(); };
    mnuRtCompactScreen.onClick = [this] { ToggleScreenSize(); };
    onDblClick = [this] { ToggleScreenSize(); };
    onMovedByUser = [this] { rememberPlace(); };
    // The digits cover most of the compact window: a double click on them is one on the
    // window.
    for (Label* digits :
         {&lblTMinus, &lblDays, &lblHours, &Label2, &lblMinutes, &Label3, &lblSeconds})
        digits->onDblClick = [this] { ToggleScreenSize(); };
}

// A click in a time box steps its value up, and at the top of the range leaves it there; the
// scroll bar writes the box.
void frmOrvane::pairTimeBox(TextBox& box, ScrollBar& bar) {
    box.onClick = [&bar] { bar.setValue(bar.value() + 1); };
    bar.onChange = [&box, &bar] { box.setText(formatNumber(bar.value(), "00")); };
}

void frmOrvane::SetLaunchTime() {
    if (const std::optional<DateTime> launch = ReadLaunchEntry()) {
        const Instant before = launchMoment();
        // With a countdown plan, the time entered is liftoff.
        if (m_state.plan().empty())
            m_state.setLaunchTime(LocalTime{*launch});
        else
            PlanRun::setLiftoff(*this, *launch);
        showLaunchTimeAs("mmmm dd, yyyy   h:mm:ss AM/PM");
        render();
        Happening h = happening(Happening::Kind::LaunchTimeSet);
        h.oldLaunch = before;
        h.newLaunch = launchMoment();
        m_app.raise(h);
        PlanRun::planChanged(*this);
    }
    DisableSetLaunchTime();
}

std::optional<DateTime> frmOrvane::ReadLaunchEntry() {
    const std::optional<DateTime> date = plainDate(txtLaunchDate.text());
    if (!date) {
        ShowInvalidDate();
        return std::nullopt;
    }
    const std::optional<std::int64_t> time = ReadTimeEntry(txtHours, txtMinutes, txtSeconds);
    if (!time)
        return std::nullopt;

    // A launch time the clocks skip never comes; one they go back over means its first
    // occurrence, and the question says so.
    const DateTime launch = date->addSeconds(*time);
    const TimeZone zone = services().clock.zone();
    const WallTimeMeaning meaning = zone.meaning(launch);
    if (meaning.kind == WallTimeMeaning::Kind::Skipped) {
        services().dialogs.messageBox(skippedTimeMessage(launch, meaning, zone), Buttons::OK,
                                      Icon::Information, "Invalid Time");
        return std::nullopt;
    }
    const std::string question =
        "Are you sure you want to enter " + formatDate(*date, "mmm d, yyyy") + "  " +
        formatNumber(*time / 3600, "00") + ":" + formatNumber(*time / 60 % 60, "00") + ":" +
        formatNumber(*time % 60, "00") +
        (meaning.kind == WallTimeMeaning::Kind::Ambiguous ? " (first occurrence)" : "") +
        " as your new Launch Time?";
    if (services().dialogs.messageBox(question, Buttons::YesNo, Icon::Question,
                                      "Set Launch Time") != Answer::Yes)
        return std::nullopt;

    txtLaunchDate.setText(formatDate(*date, "mmm d, yyyy"));
    // A hold goes on moving the new launch time from this moment.
    m_state.setHoldStart(zone.toLocal(services().clock.instant()));
    m_state.setHoldTarget(LocalTime{launch});
    m_captions.targetStampCopiesLaunch = false;
    render();
    return launch;
}

std::optional<std::int64_t> frmOrvane::ReadTimeEntry(const TextBox& hoursBox,
                                                     const TextBox& minutesBox,
                                                     const TextBox& secondsBox) {
    const auto h = timePart(hoursBox, 23);
    const auto m = timePart(minutesBox, 59);
    const auto s = timePart(secondsBox, 59);
    if (!h || !m || !s) {
        services().dialogs.messageBox(
            "You must enter the hours from 0 to 23 and the minutes and seconds from 0 to 59.",
            Buttons::OK, Icon::Information, "Invalid Time");
        return std::nullopt;
    }
    return std::int64_t(*h) * 3600 + *m * 60 + *s;
}

void frmOrvane::ShowInvalidDate() {
    services().dialogs.messageBox("You must enter a valid date in the MM/DD/YYYY format.",
                                  Buttons::OK, Icon::Information, "Invalid Date");
}

// The day steps change only the entry box, never the launch time itself.
void frmOrvane::StepLaunchDate(int days) {
    const std::optional<DateTime> date = plainDate(txtLaunchDate.text());
    if (!date) {
        ShowInvalidDate();
        return;
    }
    const DateTime stepped = date->addDays(days);
    // Past the first or the last date the program can read back, the box stays as it is.
    if (!DateTime::fromParts(stepped.year(), stepped.month(), stepped.day()))
        return;
    txtLaunchDate.setText(formatDate(stepped, "mmm d, yyyy"));
}

void frmOrvane::EnableSetLaunchTime() {
    cmdSet.setEnabled(true);
    mnuSetLaunchTime.setEnabled(true);
    greyForLeader();
}

void frmOrvane::DisableSetLaunchTime() {
    cmdSet.setEnabled(false);
    mnuSetLaunchTime.setEnabled(false);
}

void frmOrvane::ToggleScreenSize() {
    if (!m_fullScreen)
        ShowFullScreen();
    else
        ShowCompactScreen();
}

void frmOrvane::ShowCompactScreen() {
    m_fullScreen = false;
    cmdAccess.setCaption("&Access Launch Data");
    mnuCompactScreen.setEnabled(false);
    mnuRtCompactScreen.setEnabled(false);
    mnuRtAccess.setEnabled(true);
    placeForMode(4350, 1630, 7350);
    for (MenuItem* menu : {&mnuFile, &mnuSettings, &mnuHelp, &mnuSimTime})
        menu->setVisible(false);
    sbrStatusBar.setVisible(false);
}

void frmOrvane::ShowFullScreen() {
    m_fullScreen = true;
    cmdAccess.setCaption("Com&pact Screen");
    mnuCompactScreen.setEnabled(true);
    mnuRtCompactScreen.setEnabled(true);
    mnuRtAccess.setEnabled(false);
    placeForMode(10155, 6855, 750);
    tmrCurrentDateTime.setEnabled(true);
    for (MenuItem* menu : {&mnuFile, &mnuSettings, &mnuHelp, &mnuSimTime})
        menu->setVisible(true);
    sbrStatusBar.setVisible(true);
}

} // namespace orvane

namespace orvane {

void frmOrvane::closeCalendarOnPressElsewhere() {
    auto chain = [this](Control& c) {
        c.onMouseDown = [this, before = std::move(c.onMouseDown)](MouseButton b) {
            Calendar.setVisible(false);
            if (before)
                before(b);
        };
    };
    chain(*this);
    for (Control* c : controls())
        if (c != &Calendar && c->kind() != Kind::MenuItem && c->kind() != Kind::Timer)
            chain(*c);
}

void frmOrvane::placeForMode(int width, int height, int designedLeft) {
    const WindowPlace place = m_places.placeFor(
        m_fullScreen ? "full" : "compact", m_app.displays().monitors(), {left(), top()},
        this->width(), this->height(), width, height, designedLeft);
    setHeight(height);
    setWidth(width);
    move(place.left, place.top);
}

void frmOrvane::rememberPlace() {
    m_places.remember(m_fullScreen ? "full" : "compact", m_app.displays().monitors(),
                      {left(), top()}, width(), height());
}

} // namespace orvane
