#include "clock/frmOrvane.h"
#include "clock/plan_run.h"
#include "colors.h"

#include "app.h"
#include "callouts/callouts.h"
#include "data/modOpenFile.h"

#include <algorithm>
#include <utility>

namespace orvane {

namespace {

Font textFont(double size, bool bold = false) {
    return Font{size, bold, {}};
}

// The count's digits are 20 points; more days than four digits hold take smaller ones.
Font daysFont(std::size_t digits) {
    constexpr double sizes[] = {20, 17, 14, 12};
    const std::size_t step = digits <= 4 ? 0 : std::min<std::size_t>(digits - 4, 3);
    return textFont(sizes[step], true);
}

void label(Label& l, std::string caption, int left, int top, int width, int height,
           Control* container = nullptr) {
    l.setContainer(container);
    l.setCaption(std::move(caption));
    l.move(left, top, width, height);
    l.setTransparent(true);
    l.setWordWrap(false);
}

// A time entry box with its scroll bar to the right of it.
void timeBox(TextBox& box, ScrollBar& bar, Control* container, int left, int top, std::string text,
             int max, int value) {
    box.setContainer(container);
    box.move(left, top, 780, 480);
    box.setFont(textFont(12));
    box.setAlignment(Align::Center);
    box.setText(std::move(text));
    bar.setContainer(container);
    bar.move(left + 780, top, 270, 480);
    bar.setRange(0, max);
    bar.setLargeChange(10);
    bar.setValue(value);
}

} // namespace

frmOrvane::frmOrvane(App& app)
    : Form(app.services(), "frmOrvane"), m_app(app), m_state(app.launchState()),
      m_places(app.services().settings, app.info().exeName, "frmOrvane") {
    setDesignValues();
    layOut();
    wireCount();
    wireEntry();
    wireHold();
    wireLaunchWindow();
    wireRender();
    wireFile();
    PlanRun::wire(*this);
    wireHelpMenu();
    wireSimTime();
    closeCalendarOnPressElsewhere();
    // The dialog is there where the program can serve browsers, which the Qt binding provides.
    for (auto [menu, which] : {std::pair{&mnuDebrief, App::Dialog::Debrief},
                               {&mnuRemoteDisplays, App::Dialog::RemoteDisplays},
                               {&mnuCallouts, App::Dialog::Callouts}})
        menu->onClick = [this, which] {
            if (Form* dialog = m_app.dialog(which))
                dialog->show();
        };
    mnuMute.onClick = [this] { m_app.callouts().toggleMute(); };
    showClockHealth(m_app.clockHealth());

    // Start-up opens the compact screen, with no menu bar, on the launch data saved last.
    onLoad = [this] {
        setHeight(1630);
        setWidth(4350);
        const WindowPlace start = m_places.startPlace("compact", m_app.displays().monitors(), 4350,
                                                      1630, {left(), top()});
        move(start.left, start.top);
        for (MenuItem* menu : {&mnuFile, &mnuSettings, &mnuHelp, &mnuSimTime})
            menu->setVisible(false);
        m_app.raise(happening(Happening::Kind::ProgramStart));
        // A follower shows its leader's state, never a file's.
        if (m_app.info().follow)
            setFollowing(true);
        else {
            PlanRun::reopenLast(*this);
            ReadLaunchFile(m_app, false);
        }
    };
}

void frmOrvane::setDesignValues() {
    setCaption("Mission Elapsed Time");
    setBackColor(LightRed);

    mnuEST.setChecked(true);
    mnuPopUp.setVisible(false);
    mnuSetLaunchTime.setEnabled(false);
    mnuHold.setEnabled(false);
    mnuRtHold.setEnabled(false);
    mnuCompactScreen.setEnabled(false);
    mnuRtCompactScreen.setEnabled(false);

    lblTMinus.setCaption("T -");
    lblDays.setCaption("000");
    for (Label* digits : {&lblHours, &lblMinutes, &lblSeconds})
        digits->setCaption("00");
    Label2.setCaption(":");
    Label3.setCaption(":");
    for (Label* digits : {&lblDays, &lblHours, &lblMinutes, &lblSeconds})
        digits->setBackColor(LightGrey);

    cmdAccess.setCaption("&Access Launch Data");
    cmdHoldResume.setCaption("&Hold");
    cmdHoldResume.setEnabled(false);
    cmdHoldResume.setToolTipText("Click here to HOLD the countdown.");
    cmdShowTimers.setCaption("Show Event Timers");

    lblTarget.setCaption("May 3, 2001   10:30:00 AM");
    lblWindowWarning.setCaption("Launch Window Warning");
    lblWindowWarning.setToolTipText("Click to hide.");
    lblWindowWarning.setBackColor(PaleGreen);
    lblWindowWarning.setVisible(false);
    for (Label* planned : {&lblLCount, &lblLiftoff, &lblBuiltInHold})
        planned->setVisible(false);

    Label10.setCaption("Launch Date (MM/DD/YYYY)");
    txtLaunchDate.setText("May 3, 2001");
    txtLaunchDate.setToolTipText("Double Click HERE to set the date using the calendar.");
    Calendar.setVisible(false);
    Calendar.setToolTipText("Double Click on a date to set and exit.");
    Calendar.setDate(*DateTime::fromParts(2001, 5, 3));
    Label11.setCaption("Launch Time (Local Zone)");
    Label4.setCaption("Hour (24 h)");
    Label8.setCaption("Minute");
    Label9.setCaption("Second");
    cmdSet.setCaption("&Set Launch Time");
    cmdSet.setEnabled(false);
    cmdSet.setToolTipText("Click to set the Launch Time and Date");

    Label12.setCaption("Set Launch Window");
    cmdSetWindow.setCaption("Set Launch &Window");
    cmdSetWindow.setToolTipText("Click to set the Launch Window time");
    chkLaunchWindowActive.setCaption("Act&ive Launch Window");
    chkLaunchWindowActive.setToolTipText("Check to make Launch Window Active");
    lblLaunchWindow.setCaption("00:00:00");

    for (Label* hidden :
         {&lblNowStamp, &lblTargetStamp, &lblLaunchWindowStamp, &lblNowStampWindow, &lblRevertTime})
        hidden->setVisible(false);

    sbrStatusBar.addPanel("pnlCurrentDate", 3300);
    // The clock's health stands beside the time it vouches for, once it is known.
    sbrStatusBar.addPanel("pnlClockHealth", 0).setVisible(false);
    // The journal's panel shows only while the mission journal has something to tell.
    sbrStatusBar.addPanel("pnlJournal", 0).setVisible(false);
    sbrStatusBar.addPanel("pnlCommand", 0).setVisible(false);
    sbrStatusBar.addPanel("pnlCurrentFile", 5655)
        .setToolTipText("Current File.  Click here to open a new file.");
    sbrStatusBar.addPanel("pnlSound", 1200);
    sbrStatusBar.setVisible(false);
}

void frmOrvane::ShowJournalNote(const std::string& shortText, const std::string& fullText) {
    StatusPanel& note = *sbrStatusBar.panel("pnlJournal");
    note.setText(shortText);
    note.setToolTipText(fullText);
    note.setVisible(!shortText.empty());
    fitStatusPanels();
}

void frmOrvane::showClockHealth(const ClockHealth& health) {
    m_clockHealth = health;
    StatusPanel& panel = *sbrStatusBar.panel("pnlClockHealth");
    panel.setText(clockHealthText(health));
    panel.setBackColor(clockHealthWarns(health) ? Amber : ButtonFace);
    std::string tip;
    if (health.sync == ClockHealth::Sync::NotSynchronised)
        tip = "The computer's clock is not kept synchronised: a count on another computer may "
              "not agree with this one.";
    else if (health.sync == ClockHealth::Sync::Synchronised && health.maxErrorMs)
        tip = "The computer's clock is kept synchronised, and is at most " +
              std::to_string(*health.maxErrorMs) + " ms off.";
    else if (health.sync == ClockHealth::Sync::Synchronised)
        tip = "The computer's clock is kept synchronised.";
    panel.setToolTipText(tip);
    panel.setVisible(!panel.text().empty());
    fitStatusPanels();
}

// The status bar keeps to the window's width: the clock's health and the journal's note take
// their room from the file panel, and should both show, the note gives way before the file's
// name does (its tooltip still says it all).
void frmOrvane::fitStatusPanels() {
    constexpr int FileRoom = 5655, FileLeast = 1200;
    StatusPanel& health = *sbrStatusBar.panel("pnlClockHealth");
    StatusPanel& note = *sbrStatusBar.panel("pnlJournal");
    StatusPanel& command = *sbrStatusBar.panel("pnlCommand");
    // A device's command shows over the file's name for its few seconds.
    const int commandWidth = command.text().empty() ? 0 : FileRoom - FileLeast;
    const int healthWidth = health.text().empty() || commandWidth ? 0 : 3000;
    const int noteWidth = note.text().empty() || commandWidth
                              ? 0
                              : std::min(3000, FileRoom - healthWidth - FileLeast);
    health.setWidth(healthWidth);
    note.setWidth(noteWidth);
    command.setWidth(commandWidth);
    sbrStatusBar.panel("pnlCurrentFile")
        ->setWidth(FileRoom - healthWidth - noteWidth - commandWidth);
}

void frmOrvane::ShowCommandNote() {
    StatusPanel& command = *sbrStatusBar.panel("pnlCommand");
    const std::string note = m_app.commandNote();
    if (command.text() == note)
        return;
    command.setText(note);
    command.setBackColor(note.empty() ? ButtonFace : Amber);
    command.setVisible(!note.empty());
    for (const char* other : {"pnlClockHealth", "pnlJournal"}) {
        StatusPanel& panel = *sbrStatusBar.panel(other);
        panel.setVisible(note.empty() && !panel.text().empty());
    }
    fitStatusPanels();
}

// Positions in twips. The compact screen shows the top left 4350 x 1630 of the window: the
// count and its buttons. The full screen adds the launch time to the right and the two
// entry panels below.
void frmOrvane::layOut() {
    move(7350, 600, 10155, 6855);

    for (int i = 0; i < 3; ++i) {
        shpIndicator[i].move(60, 105 + 225 * i, 180, 180);
        shpIndicator[i].setShape(ShapeType::Circle);
        shpIndicator[i].setVisible(false);
    }
    shpIndicator[0].setFillColor(0x00FFFF);
    shpIndicator[1].setFillColor(0x0080FF);
    shpIndicator[2].setFillColor(0x0000FF);

    // The days show every count the dates allow, up to seven digits, in the same box: past
    // four digits they get smaller, so the hours, minutes and seconds stay where they are.
    lblTMinus.move(240, 60, 525, 660);
    lblTMinus.setFont(textFont(15, true));
    lblTMinus.setTransparent(true);
    lblTMinus.setWordWrap(false);
    lblTMinus.setAlignment(Align::Center);
    lblDays.move(765, 60, 1260, 660);
    lblDays.onChange = [this] { lblDays.setFont(daysFont(lblDays.caption().size())); };
    lblHours.move(2055, 60, 630, 660);
    lblMinutes.move(2835, 60, 630, 660);
    lblSeconds.move(3615, 60, 630, 660);
    for (Label* digits : {&lblDays, &lblHours, &lblMinutes, &lblSeconds}) {
        digits->setFont(textFont(20, true));
        digits->setAlignment(Align::Center);
        digits->setWordWrap(false);
    }
    // Every part of the count stands on one middle line, so days in a smaller face sit level
    // with the hours rather than high in their box.
    for (Label* part :
         {&lblTMinus, &lblDays, &lblHours, &Label2, &lblMinutes, &Label3, &lblSeconds})
        part->setCentredVertically(true);
    for (Label* colon : {&Label2, &Label3}) {
        colon->setFont(textFont(20, true));
        colon->setTransparent(true);
        colon->setAlignment(Align::Center);
    }
    Label2.move(2685, 60, 150, 660);
    Label3.move(3465, 60, 150, 660);

    cmdAccess.move(60, 810, 2115, 360);
    cmdShowTimers.move(2205, 810, 2085, 360);
    cmdHoldResume.move(60, 1200, 2115, 360);
    lblWindowWarning.move(2205, 1200, 2085, 360);
    lblWindowWarning.setAlignment(Align::Center);
    lblWindowWarning.setBorderStyle(1);

    lblTarget.move(4440, 120, 5595, 600);
    lblTarget.setFont(textFont(13, true));
    lblTarget.setAlignment(Align::Center);
    lblTarget.setBackColor(LightGrey);
    lblTarget.setBorderStyle(1);
    // With a countdown plan: the L count and liftoff beside the T count, the hold below them.
    // Liftoff's date and time is the longer text: it takes the wider part, a point smaller.
    lblLCount.move(4440, 810, 2040, 360);
    lblLiftoff.move(6540, 810, 3495, 360);
    lblBuiltInHold.move(4440, 1200, 5595, 360);
    for (Label* planned : {&lblLCount, &lblLiftoff, &lblBuiltInHold}) {
        planned->setFont(textFont(planned == &lblLiftoff ? 9 : 10, true));
        planned->setAlignment(Align::Center);
        planned->setWordWrap(false);
    }

    layOutPanels();
}

// The full screen's two panels, launch time and launch window, below the count.
void frmOrvane::layOutPanels() {
    // The two panels share their rows: heading, the date or the remaining window, the time
    // boxes, and the Set button at the foot.
    pctLaunchTime.move(60, 1680, 5010, 4380);
    pctLaunchTime.setBorderStyle(1);
    label(Label10, Label10.caption(), 120, 150, 4755, 300, &pctLaunchTime);
    txtLaunchDate.setContainer(&pctLaunchTime);
    txtLaunchDate.move(120, 480, 3000, 450);
    txtLaunchDate.setFont(textFont(11));
    label(Label11, Label11.caption(), 120, 1230, 4755, 300, &pctLaunchTime);
    label(Label4, Label4.caption(), 120, 1680, 1500, 285, &pctLaunchTime);
    label(Label8, Label8.caption(), 1740, 1680, 1400, 285, &pctLaunchTime);
    label(Label9, Label9.caption(), 3360, 1680, 1400, 285, &pctLaunchTime);
    timeBox(txtHours, vsbHours, &pctLaunchTime, 120, 1980, "10", 23, 10);
    timeBox(txtMinutes, vsbMinutes, &pctLaunchTime, 1740, 1980, "30", 59, 30);
    timeBox(txtSeconds, vsbSeconds, &pctLaunchTime, 3360, 1980, "00", 59, 0);
    cmdSet.setContainer(&pctLaunchTime);
    cmdSet.move(120, 3720, 2700, 450);
    Calendar.setContainer(&pctLaunchTime);
    Calendar.move(120, 960, 4755, 3300);

    pctLaunchWindow.move(5130, 1680, 4965, 4380);
    pctLaunchWindow.setBorderStyle(1);
    label(Label12, Label12.caption(), 120, 150, 4700, 300, &pctLaunchWindow);
    Label12.setFont(textFont(8, true));
    lblLaunchWindow.setContainer(&pctLaunchWindow);
    lblLaunchWindow.move(120, 480, 2400, 450);
    lblLaunchWindow.setFont(textFont(14, true));
    lblLaunchWindow.setAlignment(Align::Center);
    chkLaunchWindowActive.setContainer(&pctLaunchWindow);
    chkLaunchWindowActive.move(2640, 525, 2250, 360);
    int columnLeft = 120;
    for (const TimeOfDayEntry::Column& c : windowEntry.columns()) {
        label(c.head, c.caption, columnLeft, 1680, 1400, 285, &pctLaunchWindow);
        timeBox(c.box, c.bar, &pctLaunchWindow, columnLeft, 1980, "00", c.max, 0);
        columnLeft += 1620;
    }
    cmdSetWindow.setContainer(&pctLaunchWindow);
    cmdSetWindow.move(120, 3720, 2700, 450);

    sbrStatusBar.setHeight(330);
}

void frmOrvane::showSound(const std::string& state, const std::string& note, bool muted) {
    StatusPanel& panel = *sbrStatusBar.panel("pnlSound");
    panel.setText(state);
    panel.setToolTipText(note);
    mnuMute.setChecked(muted);
}

} // namespace orvane
