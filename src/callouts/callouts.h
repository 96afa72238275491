#pragma once

// Spoken callouts: what is said when. The count, the holds, the events and the launch window
// are followed through the main window's and the board's typed faces and the App's
// happenings; the sound itself is the SoundOutput service's. Each cue belongs to one second
// of the count and is said when the clock turns to that second at the count's own pace: a
// second the clock jumped over, a held count or a count moved by a new launch time says
// nothing, and no cue is said twice for one launch time.

#include "dates/clock_steps.h"
#include "happenings.h"
#include "model/callout_entry.h"
#include "services/services.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace orvane {

class App;

// Which callouts are said, and how; kept in the settings file. Each family of callouts is
// switched on or off on its own.
struct CalloutChoices {
    bool sound = true;        // off: muted
    int volume = 80;          // 0 to 100
    std::string voice;        // empty: the output's default voice
    bool minutes = true;      // "T minus ten minutes", five, one minute
    bool seconds = true;      // "T minus thirty seconds", twenty, fifteen
    bool finalCount = true;   // "T minus ten", "nine" ... "one", "liftoff"
    bool holds = true;        // "hold" and "resuming count, ..."
    bool builtInHolds = true; // "T minus twenty minutes and holding", "... and counting"
    bool events = true;       // each event's name at its moment
    bool window = true;       // "launch window expires in one minute"
    bool commands = true;     // a paired device's command, with the device's name
    // How the voice speaks: its variant's file name (empty: none), speed and pitch.
    VoiceStyle style;
    std::string output; // the sound server's output by name; empty: the default
    // A tone that marks the seconds of the final count: none, each second from T - 10 to
    // T - 0, or T - 0 only; alone, it stands in for the words said on those seconds.
    enum class Tone { Off, EachSecond, LaunchSecond };
    Tone tone = Tone::Off;
    bool toneAlone = false;
    bool operator==(const CalloutChoices&) const = default;
};

// The families by the names the scenario runner and the settings' readers use: "final",
// "minutes", "seconds", "holds", "built-in-holds", "events", "window", "commands".
bool* calloutFamily(CalloutChoices& choices, std::string_view name);
inline constexpr std::array<const char*, 8> CalloutFamilies{
    "final", "minutes", "seconds", "holds", "built-in-holds", "events", "window", "commands"};

// What pnlSound shows.
enum class SoundState { On, Muted, NoSound };

class Callouts {
  public:
    // The keyboard shortcut of the main window's mute command.
    static constexpr const char* MuteShortcut = "Ctrl+U";
    static constexpr const char* Section = "Callouts";

    Callouts(App& app, SoundOutput* output);
    ~Callouts();
    Callouts(const Callouts&) = delete;
    Callouts& operator=(const Callouts&) = delete;

    const CalloutChoices& choices() const { return m_choices; }
    // Takes and keeps new choices; what was planned is planned afresh.
    void setChoices(const CalloutChoices& choices);
    void toggleMute();

    SoundState state() const;
    // "Sound", "Muted" or "No sound".
    static const char* stateText(SoundState state);
    // Why nothing can be heard, in the user's words; empty while sound works.
    std::string whyNoSound() const;
    std::vector<std::string> voices() const;
    // The first start's note that callouts are spoken and how to mute them; none after the
    // first start (the settings keep that it was given).
    std::optional<std::string> firstStartNote();
    // Says a sample with the voice and volume chosen, muted or not.
    void test();
    // Says TEXT now with the voice and volume chosen, muted or not; nothing without sound.
    void sayNow(const std::string& text);
    std::vector<VoiceVariant> variants() const;
    std::vector<SoundDevice> outputs() const;
    // The output chosen while it is not there and the default plays instead; empty otherwise.
    std::string outputMissing() const;

    // ---- the team's own callouts ----
    // The entries that apply: the open plan's, else the settings'.
    const std::vector<CalloutEntry>& entries() const;
    // Whether they are the plan's.
    bool entriesInPlan() const;
    // Puts ENTRY in place of entry N, or adds it when N is past the last; removes entry N.
    // Each says what is wrong and changes nothing, or keeps the change (in the plan or the
    // settings) and plans the cues afresh.
    std::optional<std::string> setEntry(std::size_t n, const CalloutEntry& entry);
    void removeEntry(std::size_t n);
    // The plan's entries came or went (a plan opened or closed): they are made ready.
    void entriesChanged();
    // How many milliseconds entry N would still be speaking when the next cue is due, or
    // none: it ends in time, or its spoken length is not known yet.
    std::optional<std::int64_t> overlap(std::size_t n) const;

    // The cue for the count at SECONDS to launch: its text, "" for a tone, none when that
    // second has no cue.
    static std::optional<std::string> countCue(std::int64_t seconds, const CalloutChoices& c);
    // Whether a tone marks the second at SECONDS to launch.
    static bool toneAt(std::int64_t seconds, const CalloutChoices& c);
    // Every cue at SECONDS to launch, the tone first ("" for it), in the order they are said.
    static std::vector<std::string> cuesAt(std::int64_t seconds, const CalloutChoices& c);
    // "resuming count, T minus 2 minutes 5 seconds".
    static std::string resumePhrase(const ShownCount& count);
    static constexpr const char* HoldPhrase = "hold";
    // PHRASE as a paired device's command: "hold, by Flight director's tablet".
    static std::string byDevice(const std::string& phrase, const std::string& device);
    // A paired device's command with no happening of its own, as said; none for one that
    // cannot be heard (mute).
    static std::optional<std::string> commandPhrase(const std::string& command);
    static constexpr const char* WindowPhrase = "launch window expires in one minute";
    static constexpr const char* TestPhrase = "T minus ten, nine, eight";
    // pnlSound while the output chosen is not there and the default plays the callouts.
    static constexpr const char* DefaultOutputText = "Sound: default output";

  private:
    void heard(const Happening& h);
    void round();
    void say(const std::string& text, std::optional<Instant> second = std::nullopt);
    void missed(const std::string& text);
    std::string missedNote() const;
    void forget();
    // The count stands at COUNT again, above count cues said: those below it are said again.
    void aheadAgain(std::int64_t count);
    // The entry said at SECONDS to launch, if any: it takes the place of that second's cues.
    const CalloutEntry* entryAt(std::int64_t seconds) const;
    // What is said at SECONDS to launch: the tone when one marks it, and an entry's words,
    // else the families' cue.
    std::vector<std::string> cuesNow(std::int64_t seconds) const;
    void keepEntries(std::vector<CalloutEntry> entries);
    void loadEntries();
    void saveEntries() const;
    // A hold or resume PHRASE, said for the family that covers it: a paired device's command
    // (with its name) or HOLDS's own.
    void sayHeld(const std::string& phrase, const Happening& h, bool family);
    // The board's event moments and names, read once for a round of cues: reading a row
    // converts the launch time, which costs more than the whole rest of a round.
    struct EventMoment {
        Instant moment;
        std::tuple<int, std::string, std::int64_t> key; // row, name as said, signed offset
    };
    std::vector<EventMoment> eventMoments() const;
    // The cue of an event falling on the second AT, unless it was said.
    std::optional<std::string> eventCue(const EventMoment& e, Instant at) const;
    // The cues due at the second NOW that the count reached at its own pace.
    void sayDue(Instant now, std::int64_t seconds, const std::vector<EventMoment>& events);
    void planAhead(Instant now);
    void planAhead(Instant now, const std::vector<EventMoment>& events);
    std::int64_t trueMs(Instant at) const;
    bool speaking() const;
    // Every phrase the count and the board may need, and ALSO; asked for again, they are the
    // phrases the output keeps.
    void prepareAll(const std::string& also = {});
    void load();
    void save() const;
    // The voice's, the output's and the tone's choices, kept in the settings.
    void loadVoice(CalloutChoices& c);
    void saveVoice() const;
    void showState();

    App& m_app;
    SoundOutput* m_output;
    CalloutChoices m_choices;
    Subscription m_happenings;
    Subscription m_rounds;
    ClockSteps m_steps;
    // The last round's second and count, to tell the count's own pace from a jump.
    struct Seen {
        Instant second;
        std::int64_t count = 0;
    };
    std::optional<Seen> m_seen;
    // What was said for the present launch time: counts, and events by number, name and
    // offset.
    std::set<std::int64_t> m_saidCounts;
    std::set<std::tuple<int, std::string, std::int64_t>> m_saidEvents;
    std::vector<Cue> m_planned;
    // The settings' entries, used while no plan is open.
    std::vector<CalloutEntry> m_ownEntries;
    int m_missed = 0;
    std::string m_lastMissed;
};

} // namespace orvane
