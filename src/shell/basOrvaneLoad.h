#pragma once

namespace orvane {

class App;

// The program's start-up: one copy per machine, the splash, then the main window.
void Main(App& app);

} // namespace orvane
