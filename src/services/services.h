#pragma once

// The outside world, behind interfaces: the Qt binding implements them for the real program,
// the fakes for tests and the scenario runner.

#include "dates/datetime.h"
#include "dates/zone.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

class Timer;
class MenuItem;
class ClockHealthSource;

// The present, to the whole second. Counts are taken between real instants; what users see
// is the computer's local wall time.
class Clock {
  public:
    virtual ~Clock() = default;
    // The present as a real instant.
    virtual Instant instant() const = 0;
    // The computer's time zone as it is now, so a change of zone shows at the next reading.
    virtual TimeZone zone() const = 0;
    // The present in the computer's local wall time.
    virtual DateTime now() const { return zone().toWall(instant()); }
    // The present in milliseconds since 1970 (UTC), for what must keep the part of a second:
    // instant() is its whole second.
    virtual std::int64_t unixMs() const = 0;

    // Milliseconds on a clock that only runs forward at the pace of real time, whoever sets
    // the computer's clock; its zero means nothing.
    virtual std::int64_t monotonicMs() const = 0;

    // The answer to a request to set the computer's clock: empty when it was set, else the
    // platform's words for why not.
    using SetAnswer = std::function<void(const std::string& refusal)>;
    // Asks for the computer's clock to be set to WHEN, a local wall time, MS_INTO_SECOND
    // milliseconds into it. Asking may take a person's authorisation, so the answer comes
    // later, on the user-interface thread, and the program keeps running meanwhile.
    virtual void setSystemDateTime(DateTime when, int msIntoSecond, SetAnswer answer) = 0;
};

// Runs timers on the user-interface thread, and delivers input events to the program.
//
// Timers keep their intervals. A fast timer (interval below FastTimerLimitMs) does not wake
// the machine every millisecond: everything such a timer shows depends only on the clock's
// whole second and on state that changes through events. The same holds for a timer its
// window paces by the second (Timer::Pace::Second), such as the board's counts. Both kinds
// run in rounds: one right after each change of the clock's second and one right after every
// other event or tick, and not in between, so every count on screen turns at the same moment.
// Other timers tick on their own at their intervals. Both the real and the fake scheduler
// follow this one policy (SchedulerBase).
class Scheduler {
  public:
    static constexpr int FastTimerLimitMs = 50;
    static bool isFast(int intervalMs) { return intervalMs < FastTimerLimitMs; }

    virtual ~Scheduler() = default;
    virtual void add(Timer& t) = 0;
    virtual void remove(Timer& t) = 0;
    // The timer's Enabled or Interval changed: (re)start or stop its period.
    virtual void changed(Timer& t) = 0;
    // Runs the task once the outermost event being handled now has returned (a window that
    // unloads itself from its own handler is destroyed this way).
    virtual void post(std::function<void()> task) = 0;

    // Delivers one input event (a click, a key, an edit) to the program: runs it, then the
    // round and whatever the event posted.
    void deliver(const std::function<void()>& event) {
        beginEvent();
        event();
        endEvent();
    }
    virtual void beginEvent() = 0;
    virtual void endEvent() = 0;

    // Told after each round: right after every change of the clock's second and after every
    // other event or tick (the App passes it on to whoever subscribed to its rounds).
    std::function<void()> onRoundDone;

    // The program's clock turns its seconds PHASE_MS milliseconds after the computer's (a
    // simulated time kept by the program starts its first second when it is set): the rounds
    // follow the program's clock.
    virtual void setSecondPhase(int phaseMs) = 0;
};

enum class Icon { None, Information, Question, Exclamation, Critical };
enum class Buttons { OK, OKCancel, YesNo, YesNoCancel };
enum class Answer { OK, Cancel, Yes, No };

const char* iconName(Icon i);
const char* buttonsName(Buttons b);
const char* answerName(Answer a);
// The answer of a message box closed without pressing one of its buttons.
Answer closedAnswer(Buttons b);

struct FileDialogRequest {
    std::string title;
    std::string filter; // "Orvane Files (*.ovx)|*.ovx"
    std::string defaultExt;
    std::string fileName;
    std::string initialDir;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A modal message box; returns the button pressed (closing an OK/Cancel box is Cancel).
    virtual Answer messageBox(const std::string& text, Buttons buttons, Icon icon,
                              const std::string& title) = 0;
    // Open and Save As; empty when the user cancelled.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    // Pops a menu up at the mouse pointer; the user's choice arrives as that item's click.
    virtual void popupMenu(MenuItem& menu) = 0;
};

// The per-user settings store.
class Settings {
  public:
    virtual ~Settings() = default;
    virtual std::string get(const std::string& appName, const std::string& section,
                            const std::string& key, const std::string& fallback) = 0;
    virtual void save(const std::string& appName, const std::string& section,
                      const std::string& key, const std::string& value) = 0;
};

class Help {
  public:
    virtual ~Help() = default;
    virtual void showTopic(const std::string& file, const std::string& topic) = 0;
    virtual void closeAll(const std::string& file) = 0;
};

class Process {
  public:
    virtual ~Process() = default;
    // Claims this machine's one instance of the program; false when another copy holds it.
    virtual bool claimSingleInstance() = 0;
    // Ends the program once the current event has been handled.
    virtual void endProgram() = 0;
    virtual void startProgram(const std::string& path) = 0;
    // Seeds the random numbers from the clock; random() is in [0, 1).
    virtual void randomize() = 0;
    virtual double random() = 0;
};

// What reading a file whole gave: its content, or why there is none.
struct FileContent {
    std::optional<std::string> content;
    bool missing = false;  // the file does not exist
    bool tooLarge = false; // the file holds more than the reader's limit
    std::string error;     // the platform's reason, when there is no content
};

// What keeping a copy of a file gave.
struct KeepCopy {
    bool kept = false;    // the copy was made
    bool missing = false; // there is no file to copy
    bool taken = false;   // a file of the copy's name exists already, and was left alone
    std::string error;    // the platform's reason, when none of these
};

// Files read and written whole (the launch data files).
class Files {
  public:
    virtual ~Files() = default;
    // Reads a regular file of at most LIMIT bytes; anything else is refused without waiting
    // on it or reading more than LIMIT bytes.
    virtual FileContent read(const std::string& path, std::size_t limit) = 0;
    // Replaces the file with CONTENT in one step: until the new file is complete and safely
    // stored, the old one stays as it was. Returns an empty text on success, else the
    // platform's reason.
    virtual std::string writeWhole(const std::string& path, const std::string& content) = 0;
    // Copies the file PATH to a new file COPY, which it never replaces when it exists.
    virtual KeepCopy keepCopy(const std::string& path, const std::string& copy) = 0;
    // Whether the program may make files in the folder.
    virtual bool isWritableFolder(const std::string& folder) = 0;
    // The user's own folder for the program's data, made when missing; empty when there is
    // none.
    virtual std::string userDataFolder() = 0;
};

// A spoken callout or a tone, and the moment its first sound should be heard.
struct Cue {
    std::string text; // what is said; empty for a tone
    // On the computer's clock, in Unix milliseconds.
    std::int64_t atMs = 0;
    bool tone() const { return text.empty(); }
    bool operator==(const Cue&) const = default;
};

// How the voice speaks, beside which voice it is.
struct VoiceStyle {
    static constexpr int MinSpeed = 80, MaxSpeed = 450, MaxPitch = 99;
    std::string variant; // a variant's file name, such as "f3"; empty: none
    int speed = 175;     // words a minute, MinSpeed to MaxSpeed
    int pitch = 50;      // 0 to MaxPitch
    bool operator==(const VoiceStyle&) const = default;
};

// One of the voice's variants: its file name, which selects it, and its name.
struct VoiceVariant {
    std::string file;
    std::string name;
    bool operator==(const VoiceVariant&) const = default;
};

// One of the sound server's outputs (a speaker, a headset loop): its name, which stays the
// same from one start to the next, and its description, which a user reads.
struct SoundDevice {
    std::string name;
    std::string description;
    bool operator==(const SoundDevice&) const = default;
};

// Speech and tones through the computer's speakers. Nothing here waits on sound: the output
// makes phrases and plays them on threads of its own, and only tells the program what it
// can hear (on the user-interface thread).
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Why nothing can be heard (no sound server or device, no voice), in the user's words;
    // empty while sound works.
    virtual std::string unavailable() const = 0;
    // The voices installed, by name; the first is the default.
    virtual std::vector<std::string> voices() const = 0;
    // The voice by name (empty: the default), and the loudness from 0 to 100.
    virtual void setVoice(const std::string& voice) = 0;
    virtual void setVolume(int percent) = 0;
    // Phrases that may be said soon: made ready now, so that each sounds on its second.
    virtual void prepare(const std::vector<std::string>& phrases) = 0;
    // The cues due in the next few seconds, replacing those told before: a cue left out
    // is not to be heard.
    virtual void plan(const std::vector<Cue>& cues) = 0;
    // A cue due now: heard at once, unless it was planned and is on its way already.
    virtual void sound(const Cue& cue) = 0;
    // Called on each of the program's rounds (at least once a second), so that an output that
    // runs apart can check it is alive without waking the program on its own.
    virtual void beat() {}
    // The voice's variants installed, as file name and name.
    virtual std::vector<VoiceVariant> variants() const { return {}; }
    virtual void setStyle(const VoiceStyle& /*style*/) {}
    // The sound server's outputs, as it lists them.
    virtual std::vector<SoundDevice> outputs() const { return {}; }
    // Plays on the output NAME (empty: the sound server's default) whenever it is there, and
    // on the default while it is not.
    virtual void setOutput(const std::string& /*name*/) {}
    // The output chosen while it is not there and the default plays instead; empty otherwise.
    virtual std::string outputMissing() const { return {}; }
    // How long PHRASE sounds once it has been made ready, in milliseconds; none before.
    virtual std::optional<int> spokenMs(const std::string& /*phrase*/) const {
        return std::nullopt;
    }
    // Told when unavailable() changes.
    std::function<void()> onAvailabilityChanged;
    // Told of a cue that could not be heard (TEXT empty: a tone), on the user-interface thread.
    std::function<void(const std::string& text)> onMissed;
    // Told when phrases have been made ready and their spoken lengths are known.
    std::function<void()> onReady;
};

struct AppInfo {
    std::string title = "Orvane";
    std::string exeName = "orvane";
    std::string programDir;
    // Installed, the program's folder is one shared by every user (PREFIX/share/orvane): the
    // program reads its tips there but never writes there, even where it could (as root).
    bool installed = false;
    int major = 0, minor = 0, revision = 0;
    std::string platform;       // the system the program was built for ("Linux")
    std::string projectAddress; // the project's web address as the packager set it, or empty
    std::vector<std::string> arguments; // the command line, without the program's name
    // What the command line asks for, as the program's one parser read it.
    std::string startFile; // a launch data file to read instead of the default (full path)
    bool ownClock = false; // simulated times move the program's own clock, never the computer's
    bool noSplash = false; // start without the splash, for scripted use
    std::optional<std::string> serve; // --serve [ADDRESS:]PORT as typed, checked where it is used
    std::vector<std::string> serveNames; // each --serve-name NAME as typed, checked likewise
    // --serve-tls CERT KEY: the certificate and key files, as full paths; empty without it.
    std::string serveTlsCertificate, serveTlsKey;
    // --publish and --follow mqtt[s]://HOST[:PORT]/TOPIC as typed, checked where they are used;
    // --mqtt-credentials FILE as a full path.
    std::optional<std::string> publish;
    std::optional<std::string> follow;
    std::string mqttCredentials;
};

struct Services {
    Clock& clock;
    Scheduler& scheduler;
    Dialogs& dialogs;
    Settings& settings;
    Help& help;
    Process& process;
    Files& files;
    AppInfo info;
    // Speech and tones; none where the program has no sound at all.
    SoundOutput* sound = nullptr;
    // How far the computer's clock can be trusted (services/clock_health.h); none where
    // nothing reads it, and the program then shows nothing of it.
    ClockHealthSource* clockHealth = nullptr;
};

} // namespace orvane
