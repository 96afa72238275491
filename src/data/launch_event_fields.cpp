#include "data/launch_event_fields.h"

#include "app.h"
#include "data/CTimeData.h"

namespace orvane {

void collectEventBlocks(App& app, LaunchData& d) {
    const CTimeData& record = app.EventData();
    for (int n = 0; n < 10; ++n) {
        LaunchEventBlock& e = d.events[std::size_t(n)];
        const BoardRow& row = app.board().row(n);
        e.tag = record.Tag(n);
        e.secs = record.Secs(n);
        e.plus = record.Plus(n);
        e.visible = row.visible;
        e.mark = row.mark();
        e.name = row.name;
    }
}

void applyEventBlocks(App& app, const LaunchData& d) {
    CTimeData& record = app.EventData();
    for (int n = 0; n < 10; ++n) {
        const LaunchEventBlock& e = d.events[std::size_t(n)];
        record.setTag(n, e.tag);
        record.setSecs(n, e.secs);
        record.setPlus(n, e.plus);
        app.RestoreEventRow(n, e.name, directionOfMark(e.mark), e.visible);
    }
}

} // namespace orvane
