#include "app.h"
#include "events/frmEventTimers.h"

#include <string>

namespace orvane {

void frmEventTimers::DefineEvent(int n, std::string_view name, std::string_view sign,
                                 std::int32_t secs) {
    if (n < 0 || n > 9)
        return;
    if (sign.empty()) {
        const bool wasAssigned = isAssigned(n);
        if (wasAssigned)
            raiseRow(Happening::Kind::EventRemoved, n);
        lblName[n].setCaption(std::string(name));
        pctEvent[n].setTag("");
        pctEvent[n].setVisible(false);
        return;
    }
    EventData().setPlus(n, std::string(sign));
    EventData().setSecs(n, secs);
    RestoreEventRow(n, name, sign, true);
    raiseRow(Happening::Kind::EventDefined, n);
}

void frmEventTimers::RestoreEventRow(int n, std::string_view name, std::string_view mark,
                                     bool visible) {
    if (n < 0 || n > 9)
        return;
    lblName[n].setCaption(std::string(name));
    pctEvent[n].setVisible(visible);
    pctEvent[n].setTag(std::string(mark));
    RestartCount(n);
    tmrToolTips.setEnabled(true);
}

} // namespace orvane
