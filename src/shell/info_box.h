#pragma once

// What the About and Technical Support boxes share.

#include <string>

namespace orvane {

class App;
class CommandButton;
class Form;
struct AppInfo;

// "1.0.0": the program's version as the build gives it.
std::string versionText(const AppInfo& info);

// The project's web address, or "not set" when the build was given none.
std::string projectAddressText(const AppInfo& info);

// OK, Enter and Esc close the box.
void closeWithOkOrEsc(App& app, Form& box, CommandButton& ok);

} // namespace orvane
