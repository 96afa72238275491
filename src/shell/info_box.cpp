#include "shell/info_box.h"

#include "app.h"

namespace orvane {

std::string versionText(const AppInfo& info) {
    return std::to_string(info.major) + "." + std::to_string(info.minor) + "." +
           std::to_string(info.revision);
}

std::string projectAddressText(const AppInfo& info) {
    return info.projectAddress.empty() ? "not set" : info.projectAddress;
}

void closeWithOkOrEsc(App& app, Form& box, CommandButton& ok) {
    ok.setCaption("OK");
    ok.setDefault(true);
    ok.setCancel(true);
    ok.onClick = [&app, &box] { app.unload(box); };
    box.onKeyPress = [&app, &box](int key) {
        if (key == 27)
            app.unload(box);
    };
}

} // namespace orvane
