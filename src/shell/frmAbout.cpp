#include "shell/frmAbout.h"

#include "app.h"
#include "shell/info_box.h"

#include <string>

namespace orvane {

frmAbout::frmAbout(App& app) : Form(app.services(), "frmAbout") {
    const AppInfo& info = app.info();
    setCaption("About Orvane");
    setCentered(true);
    move(0, 0, 6255, 5340);

    Frame1.setCaption(info.title);
    Frame1.move(120, 60, 6015, 4560);
    imgLogo.setContainer(&Frame1);
    imgLogo.move(240, 360, 1080, 1080);
    lblProductName.setContainer(&Frame1);
    lblProductName.setCaption(info.title);
    lblProductName.move(1560, 540, 4215, 660);
    lblProductName.setFont(Font{20, true, {}});
    lblProductName.setTransparent(true);
    lblProductName.setWordWrap(false);
    lblInfo.setContainer(&Frame1);
    lblInfo.setCaption("Version " + versionText(info) +
                       "\n\nA launch clock for mission simulations: it counts down to liftoff "
                       "and up after it, with holds, a launch window, ten event timers and "
                       "simulated mission time.\n\n"
                       "Written by the Orvane developers for launch rehearsals and classes.\n\n"
                       "Orvane is free software under the GNU General Public License, version "
                       "3 or later (the file LICENSE), and comes with no warranty.\n\n"
                       "Project address: " +
                       projectAddressText(info));
    lblInfo.move(240, 1620, 5535, 2760);
    lblInfo.setTransparent(true);

    cmdOK.move(4920, 4785, 1215, 390);
    closeWithOkOrEsc(app, *this, cmdOK);
}

} // namespace orvane
