#pragma once

// The program's life: the real services, the Qt view and the App, started as the program's
// start-up routine says, then the event loop until the program ends.

#include <functional>

namespace orvane {

class App;
class QtView;

// What a caller may add to the program without changing it.
struct ProgramHooks {
    // Runs in the program's first event, right after start-up, unless start-up ended the
    // program.
    std::function<void(App&, QtView&)> started;
};

// Runs the program; gives its exit status.
int runProgram(int argc, char** argv, const ProgramHooks& hooks = {});

} // namespace orvane
