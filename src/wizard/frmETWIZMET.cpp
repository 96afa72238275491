#include "wizard/frmETWIZMET.h"

#include "app.h"
#include "colors.h"
#include "dates/datetime.h"
#include "wizard/frmETWIZPlus.h"
#include "wizard/time_columns.h"

#include <array>
#include <cstdint>

namespace orvane {

frmETWIZMET::frmETWIZMET(App& app) : EventEntryPage(app, "frmETWIZMET", &pageOf<frmETWIZPlus>) {
    move(0, 0, 5190, 3840);
    Label2.setCaption("Use the scroll bars to set the Days, Hours, Minutes, and Seconds before "
                      "or after liftoff that you want this event to take place, then click Enter");
    Label2.move(240, 120, 4590, 840);
    mission.fraFrame.setBackColor(LightGreen);
    mission.fraFrame.move(240, 1020, 4590, 2040);
    for (const TimeColumn& c : mission.layOut())
        linkBox(c.box, c.bar, c.longName, c.pattern, c.max);
    placeCommands(3240);
}

std::int64_t frmETWIZMET::MissionSeconds(std::int64_t days, std::int64_t hours,
                                         std::int64_t minutes, std::int64_t seconds) {
    return days * 86400 + minutes * 60 + hours * 3600 + seconds;
}

std::string frmETWIZMET::MissionSign() const {
    return m_afterLiftoff ? "+" : "-";
}

void frmETWIZMET::setAfterLiftoff(bool after) {
    m_afterLiftoff = after;
    mission.lblPlusMinus.setCaption(after ? "T Plus" : "T Minus");
    mission.fraFrame.setBackColor(after ? LightGreen : PaleRed);
}

void frmETWIZMET::enter() {
    auto number = [](const TextBox& box) { return leadingNumber(box.text()); };
    const std::int64_t total =
        MissionSeconds(number(mission.txtDaysSim), number(mission.txtHoursSim),
                       number(mission.txtMinutesSim), number(mission.txtSecondsSim));
    // The scroll bars keep the total between 0 and 365 days 23:59:59, far inside the 32
    // bits the record stores; a total outside that could only come from the boxes being
    // written by something other than their scroll bars, and is not stored.
    if (total < 0 || total > INT32_MAX)
        return;
    enterEvent(MissionSign(), std::int32_t(total));
}

} // namespace orvane
