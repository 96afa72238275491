#pragma once

namespace orvane {

class App;

// Makes the tip of the day, About and Technical Support windows known to the application.
void registerShellWindows(App& app);

} // namespace orvane
