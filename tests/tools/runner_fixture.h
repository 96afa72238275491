#pragma once

// Runs script text through a ScriptRunner as the file "story.txt" and keeps what it printed.

#include "app.h"
#include "script_runner.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>

namespace orvane::script::test {

class RunnerTest : public ::testing::Test {
  protected:
    // Runs every line, then the end-of-run check; false at the first failure.
    bool run(std::string_view script) {
        std::istringstream in{std::string(script)};
        return runner.runScript(in, "story.txt") && runner.finish();
    }
    // Runs lines without the end-of-run check, continuing the same story.
    bool more(std::string_view script) {
        std::istringstream in{std::string(script)};
        return runner.runScript(in, "story.txt");
    }
    // What was printed since the last call; the journal's lines are left out (the journal's
    // own stories check them).
    std::string printed() {
        std::istringstream lines(out.str());
        out.str("");
        std::string s;
        for (std::string line; std::getline(lines, line);)
            if (!line.starts_with("journal "))
                s += line + '\n';
        return s;
    }
    // The program started at 10:29:50, ten seconds before the design launch time, with the
    // splash already gone.
    void startAfterSplash() {
        ASSERT_TRUE(more("clock 2001-05-03 10:29:50\nstart\nadvance 3s\n")) << runner.error();
        printed();
    }

    std::ostringstream out;
    ScriptRunner runner{out};
};

} // namespace orvane::script::test
