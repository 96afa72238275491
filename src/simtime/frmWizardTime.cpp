#include "simtime/frmWizardTime.h"

#include "app.h"
#include "data/CTimeData.h"
#include "simtime/frmWizardPlusMinus.h"
#include "simtime/sim_clock.h"
#include "wizard/time_columns.h"

#include <array>
#include <limits>

namespace orvane {

frmWizardTime::frmWizardTime(App& app) : SimWizardPage(app, "frmWizardTime") {
    layOut();
    cmdBack.onClick = [this] { goTo(m_app.form<frmWizardPlusMinus>()); };
    cmdEnter.onClick = [this] { Enter(); };
    cmdCancel.onClick = [this] { endWizard(); };
    showEntries();
}

void frmWizardTime::layOut() {
    move(0, 0, 5190, 4080);
    // While the program keeps its own clock, the computer's clock is not the one that moves.
    Label1.setCaption(m_app.simClock().ownClockMoves()
                          ? "Use the scroll bars to set the Days, Hours, Minutes, and Seconds "
                            "before or after liftoff.  Then click Enter and your Orvane Clock "
                            "will show the Mission Time below on its own clock; your computer's "
                            "clock is not changed."
                          : "Use the scroll bars to set the Days, Hours, Minutes, and Seconds "
                            "before or after liftoff.  Then click Enter and your computer's clock "
                            "will automatically reset so that your Orvane Clock will show the "
                            "Mission Time below.");
    Label1.move(240, 120, 4590, 1080);
    mission.fraFrame.setBackColor(SimMinusColor);
    mission.fraFrame.move(240, 1260, 4590, 2040);
    for (const TimeColumn& c : mission.layOut()) {
        c.box.setAlignment(Align::Center);
        c.bar.setRange(0, c.max);
        c.bar.setLargeChange(10);
        c.bar.onChange = [&box = c.box, &bar = c.bar, pattern = c.pattern] {
            box.setText(formatNumber(bar.value(), pattern));
        };
        takeTyping(c.box, c.bar, c.longName, c.pattern);
        c.box.setText(formatNumber(0, c.pattern));
    }

    cmdBack.setCaption("&Back");
    cmdBack.setToolTipText("Click here to go to the previous screen.");
    cmdBack.move(1020, 3480, 1140, 375);
    cmdEnter.setCaption("&Enter");
    cmdEnter.setDefault(true);
    cmdEnter.move(2355, 3480, 1140, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdCancel.move(3690, 3480, 1140, 375);
}

// The page opens on what was entered last; the boxes show the texts kept, which are what
// Enter reads.
void frmWizardTime::showEntries() {
    const SimWizardEntries& e = m_app.simWizardEntries();
    m_keepBoxTexts = true;
    mission.vsbSecondsSim.setValue(e.vsbSecondsSim);
    mission.vsbMinutesSim.setValue(e.vsbMinutesSim);
    mission.vsbHoursSim.setValue(e.vsbHoursSim);
    mission.vsbDaysSim.setValue(e.vsbDaysSim);
    mission.txtSecondsSim.setText(e.txtSecondsSim);
    mission.txtMinutesSim.setText(e.txtMinutesSim);
    mission.txtHoursSim.setText(e.txtHoursSim);
    mission.txtDaysSim.setText(e.txtDaysSim);
    m_keepBoxTexts = false;
}

void frmWizardTime::keepEntries() {
    SimWizardEntries& e = m_app.simWizardEntries();
    e.tMinus = m_app.form<frmWizardPlusMinus>().optTMinus.value();
    e.vsbSecondsSim = mission.vsbSecondsSim.value();
    e.vsbMinutesSim = mission.vsbMinutesSim.value();
    e.vsbHoursSim = mission.vsbHoursSim.value();
    e.vsbDaysSim = mission.vsbDaysSim.value();
    e.txtSecondsSim = mission.txtSecondsSim.text();
    e.txtMinutesSim = mission.txtMinutesSim.text();
    e.txtHoursSim = mission.txtHoursSim.text();
    e.txtDaysSim = mission.txtDaysSim.text();
}

std::optional<std::int32_t> frmWizardTime::OffsetSeconds(const CSimTime& t) {
    const std::int64_t total = std::int64_t(t.Days()) * 86400 + std::int64_t(t.Hours()) * 3600 +
                               std::int64_t(t.Minutes()) * 60 + t.Seconds();
    if (total < std::numeric_limits<std::int32_t>::min() ||
        total > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(total);
}

void frmWizardTime::Enter() {
    const bool plus = m_app.form<frmWizardPlusMinus>().optTPlus.value();
    // Before liftoff every part is stored negative (or 0), as "-" put before its text reads.
    auto part = [plus](const TextBox& box) {
        return std::int32_t(leadingNumber((plus ? "" : "-") + box.text()));
    };
    CSimTime simTime;
    simTime.setDays(part(mission.txtDaysSim));
    simTime.setHours(part(mission.txtHoursSim));
    simTime.setMinutes(part(mission.txtMinutesSim));
    simTime.setSeconds(part(mission.txtSecondsSim));
    keepEntries();

    const std::optional<std::int32_t> offset = OffsetSeconds(simTime);
    if (!offset) {
        const std::string& title = m_app.info().title;
        services().dialogs.messageBox("This mission time is too far from liftoff to be shown.",
                                      Buttons::OK, Icon::Exclamation, title);
        return;
    }
    SimClock& sim = m_app.simClock();
    if (sim.confirmChange())
        sim.moveTo(*offset);
    endWizard();
}

} // namespace orvane
