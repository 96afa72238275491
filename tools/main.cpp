// orvane-script [--program-dir DIR] SCRIPT...: runs the program headless from scenario
// scripts. See --help for the language.

#include "script_runner.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int BadArguments = 2;

int usage(const std::string& why) {
    std::cerr << "orvane-script: " << why << "\n"
              << "usage: orvane-script [--program-dir DIR] SCRIPT...   (--help for the language)\n";
    return BadArguments;
}

} // namespace

int main(int argc, char** argv) {
    std::optional<std::string> programDir;
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << orvane::script::helpText();
            return 0;
        }
        if (arg == "--program-dir") {
            if (i + 1 >= argc)
                return usage("--program-dir needs a folder");
            programDir = argv[++i];
        } else if (arg.starts_with("--program-dir=")) {
            programDir = arg.substr(arg.find('=') + 1);
        } else if (arg.size() > 1 && arg.front() == '-') {
            return usage("unknown option " + arg);
        } else {
            scripts.push_back(arg);
        }
    }
    if (scripts.empty())
        return usage("no script given");
    if (programDir && !std::filesystem::is_directory(*programDir))
        return usage("no folder " + *programDir);
    // Every script must be there before the story starts, so a typo does not run half of it.
    for (const std::string& script : scripts)
        if (script != "-" && !std::ifstream(script))
            return usage("cannot read " + script);

    orvane::script::ScriptRunner runner(std::cout);
    if (programDir)
        runner.setProgramDir(*programDir);
    for (const std::string& script : scripts) {
        bool ok;
        if (script == "-") {
            ok = runner.runScript(std::cin, "<stdin>");
        } else {
            std::ifstream in(script);
            ok = runner.runScript(in, script);
        }
        if (!ok) {
            std::cout.flush();
            std::cerr << runner.error() << '\n';
            return 1;
        }
    }
    if (!runner.finish()) {
        std::cout.flush();
        std::cerr << runner.error() << '\n';
        return 1;
    }
    return 0;
}
