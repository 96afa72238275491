#include "script_runner.h"

#include "app.h"
#include "toolkit/quoting.h"
#include "qt/command_line.h"
#include "shell/basOrvaneLoad.h"
#include "version.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>

namespace orvane::script {

namespace fs = std::filesystem;

namespace {

// The name every per-user setting of the program is stored under.
constexpr const char* SettingsAppName = "orvane";

// A real event loop stops once the program has ended, so its timers fire no more: time runs
// in steps short enough to stop soon after that.
constexpr std::int64_t AdvanceStepMs = 1000;

std::string folderText(const fs::path& p) {
    std::string s = fs::absolute(p).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

} // namespace

const ScriptRunner::Command* ScriptRunner::findCommand(std::string_view name) {
    static const Command commands[] = {
        {"program-dir", When::BeforeStart, &ScriptRunner::cmdProgramDir},
        {"setting", When::BeforeStart, &ScriptRunner::cmdSetting},
        {"seed", When::Any, &ScriptRunner::cmdSeed},
        {"arguments", When::BeforeStart, &ScriptRunner::cmdArguments},
        {"write-file", When::Any, &ScriptRunner::cmdWriteFile},
        {"refuse-clock-changes", When::Any, &ScriptRunner::cmdRefuseClockChanges},
        {"journal-file", When::BeforeStart, &ScriptRunner::cmdJournalFile},
        {"timezone", When::BeforeStart, &ScriptRunner::cmdTimezone},
        {"clock", When::Any, &ScriptRunner::cmdClock},
        {"plan-hold", When::Any, &ScriptRunner::cmdPlanHold},
        {"start", When::BeforeStart, &ScriptRunner::cmdStart},
        {"advance", When::Any, &ScriptRunner::cmdAdvance},
        {"callout-entry", When::AfterStart, &ScriptRunner::cmdCalloutEntry},
        {"callout-family", When::AfterStart, &ScriptRunner::cmdCalloutFamily},
        {"answer", When::Any, &ScriptRunner::cmdAnswer},
        {"choose", When::Any, &ScriptRunner::cmdChoose},
        {"cancel-dialog", When::Any, &ScriptRunner::cmdCancelDialog},
        {"click", When::AfterStart, &ScriptRunner::cmdClick},
        {"dblclick", When::AfterStart, &ScriptRunner::cmdDblClick},
        {"mousedown", When::AfterStart, &ScriptRunner::cmdMouseDown},
        {"mouseup", When::AfterStart, &ScriptRunner::cmdMouseUp},
        {"key", When::AfterStart, &ScriptRunner::cmdKey},
        {"set", When::AfterStart, &ScriptRunner::cmdSet},
        {"close", When::AfterStart, &ScriptRunner::cmdClose},
        {"print-setting", When::Any, &ScriptRunner::cmdPrintSetting},
        {"print", When::Always, &ScriptRunner::cmdPrint},
        {"expect", When::Always, &ScriptRunner::cmdExpect},
    };
    for (const Command& c : commands)
        if (c.name == name)
            return &c;
    return nullptr;
}

ScriptRunner::ScriptRunner(std::ostream& out) : m_out(out) {
    m_world.echo = [this](const std::string& line) {
        if (line.starts_with("open-dialog ") || line.starts_with("save-dialog "))
            ++m_fileDialogsShown;
        m_out << line << '\n';
    };
}

ScriptRunner::~ScriptRunner() {
    // The windows go before the world whose timers and dialogs they hold.
    m_app.reset();
    m_journal.reset();
    if (!m_tempDir.empty()) {
        std::error_code ignored;
        fs::remove_all(m_tempDir, ignored);
    }
}

void ScriptRunner::setProgramDir(const std::string& dir) {
    m_programDir = folderText(dir);
}

const std::string& ScriptRunner::programDir() {
    if (m_programDir.empty()) {
        std::string pattern = (fs::temp_directory_path() / "orvane-script-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw ScriptError(std::string("cannot make a program folder: ") + std::strerror(errno));
        m_tempDir = m_programDir = pattern;
    }
    return m_programDir;
}

bool ScriptRunner::runScript(std::istream& in, const std::string& name) {
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!runLine(line, name, number))
            return false;
    }
    return true;
}

bool ScriptRunner::runLine(std::string_view text, const std::string& name, int lineNo) {
    m_script = name;
    m_line = lineNo;
    bool ok = true;
    try {
        LineReader line{std::string(text)};
        execute(line);
    } catch (const std::exception& e) {
        m_error = name + ":" + std::to_string(lineNo) + ": " + e.what();
        ok = false;
    }
    m_out.flush();
    return ok;
}

void ScriptRunner::execute(LineReader& line) {
    if (line.atEnd())
        return;
    const Word word = line.word("command");
    const Command* command = findCommand(word.text);
    if (!command)
        throw ScriptError("unknown command " + scriptWord(word.text));
    const std::string name(command->name);
    if (ended() && command->when != When::Always)
        throw ScriptError(name + " after end-program: only print and expect are accepted");
    if (command->when == When::BeforeStart && m_app)
        throw ScriptError(name == "start" ? std::string("the program has already started")
                                          : name + " must come before start");
    if (command->when == When::AfterStart && !m_app)
        throw ScriptError(name + " before start: the program is not running");
    (this->*command->run)(line);
    checkDialogs();
}

void ScriptRunner::checkDialogs() {
    if (const auto& failure = m_world.dialogs.failure()) {
        const std::string why = *failure;
        m_world.dialogs.clearFailure();
        throw ScriptError(why);
    }
}

void ScriptRunner::deliver(const std::function<void()>& event) {
    // A failure inside the event must not leave the scheduler in the middle of it.
    std::exception_ptr failure;
    m_world.scheduler.deliver([&] {
        try {
            event();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (failure)
        std::rethrow_exception(failure);
}

bool ScriptRunner::finish() {
    // Every box and dialog shown took one queued answer; those left over were never asked for.
    const Queued* first = nullptr;
    if (m_queuedAnswers.size() > m_world.dialogs.shown().size())
        first = &m_queuedAnswers[m_world.dialogs.shown().size()];
    if (m_queuedFiles.size() > m_fileDialogsShown) {
        const Queued* file = &m_queuedFiles[m_fileDialogsShown];
        if (!first || file->seq < first->seq)
            first = file;
    }
    if (!first)
        return true;
    m_error = first->script + ":" + std::to_string(first->line) + ": " + first->what +
              " was never asked for";
    return false;
}

// ---- before start ----

void ScriptRunner::cmdProgramDir(LineReader& line) {
    const Word path = line.value("PATH");
    if (!fs::is_directory(path.text))
        throw ScriptError("no folder " + scriptWord(path.text));
    m_programDir = folderText(path.text);
}

void ScriptRunner::cmdSetting(LineReader& line) {
    const Word section = line.word("SECTION");
    const Word key = line.word("KEY");
    const Word value = line.value("VALUE");
    m_world.settings.save(SettingsAppName, section.text, key.text, value.text);
}

void ScriptRunner::cmdSeed(LineReader& line) {
    const Word n = line.word("N");
    line.end();
    auto seed = parseWholeNumber(n.text);
    if (!seed || *seed < 0 || *seed > 0xFFFFFFFF)
        throw ScriptError("the seed is a whole number from 0 to 4294967295");
    m_world.process.seed(unsigned(*seed));
}

void ScriptRunner::cmdArguments(LineReader& line) {
    m_arguments.clear();
    while (auto arg = line.optionalWord())
        m_arguments.push_back(arg->text);
    // The program's own parser reads them, so a script cannot start the program with a command
    // line the program would refuse or end at (--help, --version).
    AppInfo info = programInfo();
    const CommandLineOutcome outcome = readCommandLine(m_arguments, "/", info);
    if (!outcome.start)
        throw ScriptError(outcome.error.empty()
                              ? "with these arguments the program ends before it starts"
                              : "the program refuses these arguments: " + outcome.error);
}

AppInfo ScriptRunner::programInfo() const {
    AppInfo info;
    info.title = "Orvane";
    info.exeName = "orvane";
    info.major = version::major;
    info.minor = version::minor;
    info.revision = version::revision;
    info.platform = version::platform;
    info.projectAddress = version::projectAddress;
    info.arguments = m_arguments;
    return info;
}

void ScriptRunner::cmdWriteFile(LineReader& line) {
    const Word name = line.word("NAME");
    const Word value = line.value("VALUE");
    const fs::path relative(name.text);
    if (relative.empty() || relative.is_absolute() ||
        std::ranges::any_of(relative, [](const fs::path& part) { return part == ".."; }))
        throw ScriptError("write-file takes a name inside the program's folder");
    const fs::path file = fs::path(programDir()) / relative;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << value.text;
    out.close();
    if (!out)
        throw ScriptError("cannot write " + scriptWord(file.string()));
}

void ScriptRunner::cmdRefuseClockChanges(LineReader& line) {
    const Word reason = line.value("REASON");
    if (reason.text.empty())
        throw ScriptError("refuse-clock-changes needs the platform's words");
    m_world.clock.refuseChanges(reason.text);
}

// The computer's zone changes while the clock shows the same local time, so a zone named
// after a clock line leaves that line's meaning as written.
void ScriptRunner::cmdTimezone(LineReader& line) {
    const Word name = line.word("ZONE");
    line.end();
    const std::optional<TimeZone> zone = TimeZone::named(name.text);
    if (!zone)
        throw ScriptError(scriptWord(name.text) + " is not a time zone this computer knows");
    const DateTime shown = m_world.clock.now();
    m_world.clock.setZone(*zone);
    m_world.clock.set(localTime(shown, "the clock's time"));
}

void ScriptRunner::cmdClock(LineReader& line) {
    const Word stamp = line.value("YYYY-MM-DD HH:MM:SS");
    const auto when = parseClockStamp(stamp.text);
    if (!when)
        throw ScriptError(scriptWord(stamp.text) + " is not a time as YYYY-MM-DD HH:MM:SS");
    const DateTime wall = localTime(*when, scriptWord(stamp.text));
    if (m_app)
        deliver([&] { m_world.clock.set(wall); });
    else
        m_world.clock.set(wall);
}

DateTime ScriptRunner::localTime(DateTime wall, const std::string& what) {
    const TimeZone zone = m_world.clock.zone();
    const WallTimeMeaning meaning = zone.meaning(wall);
    if (meaning.kind == WallTimeMeaning::Kind::Skipped)
        throw ScriptError(what + " does not exist in " + zone.name() +
                          ": the clocks go forward from " +
                          formatDate(meaning.gapStart, "yyyy-mm-dd hh:nn:ss") + " to " +
                          formatDate(meaning.gapEnd, "yyyy-mm-dd hh:nn:ss"));
    return wall;
}

void ScriptRunner::cmdStart(LineReader& line) {
    line.end();
    AppInfo info = programInfo();
    info.programDir = programDir();
    // A relative FILE names a file in the program's folder, as if started from there.
    readCommandLine(m_arguments, info.programDir, info);
    m_world.services.info = std::move(info);
    m_app = std::make_unique<App>(m_world.services);
    m_journal = std::make_unique<ScriptJournal>(*m_app, m_journalFile, m_world.clock.transcript);
    for (const BuiltInHold& hold : m_plannedHolds.holds())
        (void)m_app->launchState().plan().add(hold);
    m_app->ownClock().onChange = [this](const OwnClock& clock) {
        m_world.clock.transcript(clock.offset()
                                     ? "own-clock " + formatDate(clock.now(), "yyyy-mm-dd hh:nn:ss")
                                     : std::string("own-clock off"));
    };
    deliver([this] { Main(*m_app); });
}

// ---- time and dialogs ----

void ScriptRunner::cmdAdvance(LineReader& line) {
    const Word duration = line.word("DURATION");
    line.end();
    const auto ms = parseDuration(duration.text);
    if (!ms)
        throw ScriptError(scriptWord(duration.text) +
                          " is not a duration such as 90, 90s, 500ms, 2m, 1h or 3d");
    for (std::int64_t left = *ms; left > 0 && !ended();) {
        const std::int64_t step = std::min(left, AdvanceStepMs);
        m_world.scheduler.advance(step);
        left -= step;
        checkDialogs();
    }
    if (*ms == 0)
        m_world.scheduler.settle();
}

void ScriptRunner::cmdAnswer(LineReader& line) {
    const Word button = line.word("BUTTON");
    line.end();
    static const std::pair<std::string_view, Answer> answers[] = {
        {"OK", Answer::OK}, {"Cancel", Answer::Cancel}, {"Yes", Answer::Yes}, {"No", Answer::No}};
    for (const auto& [text, answer] : answers) {
        if (button.text == text) {
            m_world.dialogs.queueAnswer(answer);
            m_queuedAnswers.push_back({"answer " + button.text, m_script, m_line, m_seq++});
            return;
        }
    }
    throw ScriptError("answer takes OK, Cancel, Yes or No");
}

void ScriptRunner::cmdChoose(LineReader& line) {
    const Word path = line.value("PATH");
    m_world.dialogs.queueFile(path.text);
    m_queuedFiles.push_back({"choose " + scriptWord(path.text), m_script, m_line, m_seq++});
}

void ScriptRunner::cmdCancelDialog(LineReader& line) {
    line.end();
    m_world.dialogs.queueCancelFile();
    m_queuedFiles.push_back({"cancel-dialog", m_script, m_line, m_seq++});
}

void ScriptRunner::cmdPrintSetting(LineReader& line) {
    const Word section = line.word("SECTION");
    const Word key = line.word("KEY");
    line.end();
    const auto value = m_world.settings.stored(section.text, key.text);
    m_out << "setting " << scriptWord(section.text) << ' ' << scriptWord(key.text) << " = "
          << (value ? quoteText(*value) : "<absent>") << '\n';
}

} // namespace orvane::script
