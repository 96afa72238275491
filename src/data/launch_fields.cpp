#include "data/launch_fields.h"

#include "app.h"

namespace orvane {

std::string shownLaunchFile(App& app) {
    return app.launchFileNames().currentFile;
}

void showLaunchFile(App& app, const std::string& path) {
    app.launchFileNames().currentFile = path;
    app.showLaunchFile(path);
}

LaunchData collectLaunchData(App& app) {
    LaunchData d;
    app.writeLaunchData(d);
    d.savePath = app.launchFileNames().savePath;
    d.currentFile = app.launchFileNames().currentFile;
    d.sim = app.simWizardEntries();
    const CTimeData& record = app.EventData();
    for (int n = 0; n < 10; ++n) {
        LaunchEventBlock& e = d.events[std::size_t(n)];
        e.tag = record.Tag(n);
        e.secs = record.Secs(n);
        e.plus = record.Plus(n);
        app.writeEventRow(n, e);
    }
    return d;
}

void applyLaunchData(App& app, const LaunchData& d) {
    app.readLaunchData(d);
    app.simWizardEntries() = d.sim;
    CTimeData& record = app.EventData();
    for (int n = 0; n < 10; ++n) {
        const LaunchEventBlock& e = d.events[std::size_t(n)];
        record.setTag(n, e.tag);
        record.setSecs(n, e.secs);
        record.setPlus(n, e.plus);
        app.RestoreEventRow(n, e.name, e.mark, e.visible);
    }
}

} // namespace orvane
