#include "shell/basOrvaneLoad.h"

#include "app.h"
#include "callouts/callouts.h"
#include "clock/frmOrvane.h"
#include "shell/frmSplash.h"
#include "shell/frmTips.h"

namespace orvane {

namespace {

// The splash stands over start-up: its load disables and so loads both main windows, and its
// progress bar measures no work, running through four overlapping stretches.
void RunSplash(App& app) {
    frmSplash& splash = app.frmSplash();
    splash.show();
    app.frmOrvane();
    splash.lblLoadingData.setCaption("Initializing . . .");

    ProgressBar& bar = splash.ProgressBar1;
    for (int v = 1; v <= 1210; ++v)
        bar.setValue(v);
    for (int v = 750; v <= 1750; ++v) {
        bar.setValue(v);
        splash.lblLoadingData.setCaption("Loading data . . .");
    }
    for (int v = 1650; v <= 2100; ++v) {
        bar.setValue(v);
        splash.lblLoadingData.setCaption("Load functions . . .");
    }
    for (int v = 2050; v <= 2250; ++v) {
        bar.setValue(v);
        splash.lblLoadingData.setVisible(false);
    }
    bar.setVisible(false);
    // Sound is on from the first start: the first start says so, and how to mute it.
    if (const std::optional<std::string> note = app.callouts().firstStartNote()) {
        splash.lblSound.setCaption(*note);
        splash.lblSound.setVisible(true);
    }
}

} // namespace

void Main(App& app) {
    Services& s = app.services();
    if (!s.process.claimSingleInstance()) {
        s.dialogs.messageBox("Orvane is already running on this computer.", Buttons::OK,
                             Icon::Critical, app.info().title);
        app.endProgram();
        return;
    }

    if (app.info().noSplash) {
        // Without the splash the windows load in the order its load would load them, and
        // take input at once.
        app.frmEventTimers();
        app.frmOrvane();
    } else {
        RunSplash(app);
    }

    app.frmOrvane().show();
    // The tip of the day decides for itself, as it loads, whether it shows.
    app.form<frmTips>();
}

} // namespace orvane
