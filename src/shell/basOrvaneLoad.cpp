#include "shell/basOrvaneLoad.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "shell/frmSplash.h"

namespace orvane {

void Main(App& app) {
    Services& s = app.services();
    if (!s.process.claimSingleInstance()) {
        s.dialogs.messageBox("Orvane is already running on this computer.", Buttons::OK,
                             Icon::Critical, app.info().title);
        app.endProgram();
        return;
    }

    frmSplash& splash = app.frmSplash();
    splash.show();
    app.frmOrvane();
    splash.lblLoadingData.setCaption("Initializing . . .");

    // The progress bar measures no work: it runs through four overlapping stretches.
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

    app.frmOrvane().show();
    // The tip of the day decides for itself, as it loads, whether it shows.
    app.form("frmTips");
}

} // namespace orvane
