#pragma once

// Runs the whole program headless from scenario scripts: a FakeWorld stands in for the
// clock, the timers, the dialogs and the rest of the outside world, and every line of a
// script is one thing a user, the clock or the test does. All scripts given to one runner
// make one story, in the order they run.

#include "doubles/fake_services.h"
#include "model/countdown_plan.h"
#include "script_journal.h"
#include "toolkit/value.h"
#include "script_syntax.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {
class App;
class Control;
class Form;
} // namespace orvane

namespace orvane::script {

class ScriptRunner {
  public:
    // Print lines and transcript lines go to OUT, in the order they happen.
    explicit ScriptRunner(std::ostream& out);
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // The program's folder unless a script names one; an existing folder, left in place.
    void setProgramDir(const std::string& dir);

    // Runs every line; false at the first failure, whose message error() then holds, naming
    // NAME and the line.
    bool runScript(std::istream& in, const std::string& name);
    bool runLine(std::string_view line, const std::string& name = "<line>", int lineNo = 1);
    // After the last script: fails when an answer or file name queued was never asked for.
    bool finish();
    const std::string& error() const { return m_error; }

    FakeWorld& world() { return m_world; }
    App* app() { return m_app.get(); }
    bool ended() const { return m_world.process.ended; }

  private:
    enum class When { BeforeStart, Any, AfterStart, Always };
    struct Command {
        std::string_view name;
        When when;
        void (ScriptRunner::*run)(LineReader&);
    };
    static const Command* findCommand(std::string_view name);

    // What a TARGET names once its window is found.
    struct Resolved {
        Form* form = nullptr; // null while the window is not loaded
        Control* control = nullptr;
        std::string record;   // Form.Record.Property
        std::string property; // empty: the default property, not known while unloaded
        std::string name;     // Form, Form.Control or Form.Record as printed
    };

    void execute(LineReader& line);
    void checkDialogs();
    // Runs EVENT as one input event of the program, as a real event loop would deliver it.
    void deliver(const std::function<void()>& event);
    const std::string& programDir();
    bool knowsForm(const std::string& name);

    Resolved resolve(const TargetPath& path, bool load);
    // The value a TARGET prints; empty while its window is not loaded.
    std::optional<PropValue> value(const Resolved& r, const TargetPath& path);
    std::string printedName(const Resolved& r, const TargetPath& path);
    // The control or window that user input goes to. For a disabled one it prints that it is
    // disabled, then mouse input goes on to what holds it, other input nowhere (null).
    enum class Input { Mouse, Other };
    Control* inputTarget(const TargetPath& path, Input input = Input::Other);

    void cmdProgramDir(LineReader& line);
    void cmdSetting(LineReader& line);
    void cmdSeed(LineReader& line);
    void cmdArguments(LineReader& line);
    AppInfo programInfo() const;
    void cmdWriteFile(LineReader& line);
    void cmdRefuseClockChanges(LineReader& line);
    void cmdJournalFile(LineReader& line);
    void cmdTimezone(LineReader& line);
    void cmdClock(LineReader& line);
    // WALL, refused as WHAT when the script's time zone skips it.
    DateTime localTime(DateTime wall, const std::string& what);
    void cmdStart(LineReader& line);
    // Adds a built-in hold to the countdown plan, as the plan editor would (script_plan.cpp).
    void cmdPlanHold(LineReader& line);
    void cmdCalloutEntry(LineReader& line);
    void cmdCalloutFamily(LineReader& line);
    void cmdAdvance(LineReader& line);
    void cmdAnswer(LineReader& line);
    void cmdChoose(LineReader& line);
    void cmdCancelDialog(LineReader& line);
    void cmdClick(LineReader& line);
    void cmdDblClick(LineReader& line);
    void cmdMouseDown(LineReader& line);
    void cmdMouseUp(LineReader& line);
    void mouse(LineReader& line, bool down);
    void cmdKey(LineReader& line);
    void cmdSet(LineReader& line);
    void cmdClose(LineReader& line);
    void cmdPrintSetting(LineReader& line);
    void cmdPrint(LineReader& line);
    void cmdExpect(LineReader& line);

    // Where each queued answer came from, to name the first one never asked for.
    struct Queued {
        std::string what;
        std::string script;
        int line;
        int seq; // place among all answers and file names queued
    };

    std::ostream& m_out;
    FakeWorld m_world;
    std::string m_journalFile; // empty: the journal is kept in memory
    std::unique_ptr<ScriptJournal> m_journal;
    // The countdown plan given before start, taken by the program as it starts.
    CountdownPlan m_plannedHolds;
    std::unique_ptr<App> m_app;
    std::string m_programDir;
    std::string m_tempDir; // made by the runner, removed with it
    std::vector<std::string> m_arguments;
    std::vector<Queued> m_queuedAnswers;
    std::vector<Queued> m_queuedFiles;
    int m_seq = 0;
    std::size_t m_fileDialogsShown = 0;
    std::string m_script;
    int m_line = 0;
    std::string m_error;
};

// The language in brief, for --help.
std::string_view helpText();

} // namespace orvane::script
