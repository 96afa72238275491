#include "data/launch_fields.h"

#include "app.h"
#include "data/launch_event_fields.h"

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
    collectEventBlocks(app, d);
    return d;
}

void applyLaunchData(App& app, const LaunchData& d) {
    app.readLaunchData(d);
    app.simWizardEntries() = d.sim;
    applyEventBlocks(app, d);
}

} // namespace orvane
