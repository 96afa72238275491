#pragma once

#include "doubles/fake_time.h"
#include "doubles/local_files.h"
#include "services/clock_health.h"
#include "services/services.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace orvane {

using TranscriptSink = std::function<void(const std::string&)>;

struct ShownMessage {
    std::string text;
    std::string title;
    Icon icon;
    Buttons buttons;
    Answer answer;
};

// Message boxes and file dialogs answered from a queue. A box or dialog with no answer
// waiting, or an answer that is not one of the box's buttons, is a failure.
class ScriptedDialogs : public Dialogs {
  public:
    void queueAnswer(Answer a) { m_answers.push_back(a); }
    void queueFile(std::string path) { m_files.push_back(std::move(path)); }
    void queueCancelFile() { m_files.push_back(std::nullopt); }

    Answer messageBox(const std::string& text, Buttons buttons, Icon icon,
                      const std::string& title) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    void popupMenu(MenuItem& menu) override;

    const std::vector<ShownMessage>& shown() const { return m_shown; }
    // Answers and file names queued but never asked for.
    std::size_t unusedAnswers() const { return m_answers.size() + m_files.size(); }
    // The first problem met, if any.
    const std::optional<std::string>& failure() const { return m_failure; }
    void clearFailure() { m_failure.reset(); }

    TranscriptSink transcript;

  private:
    std::optional<std::string> fileDialog(const char* kind, const FileDialogRequest& request);
    void fail(std::string why);
    std::deque<Answer> m_answers;
    std::deque<std::optional<std::string>> m_files;
    std::vector<ShownMessage> m_shown;
    std::optional<std::string> m_failure;
};

class MemorySettings : public Settings {
  public:
    std::string get(const std::string& appName, const std::string& section, const std::string& key,
                    const std::string& fallback) override;
    void save(const std::string& appName, const std::string& section, const std::string& key,
              const std::string& value) override;
    // The stored value, if any, whatever the application name.
    std::optional<std::string> stored(const std::string& section, const std::string& key) const;

  private:
    std::map<std::string, std::string> m_values; // "section\nkey"
};

class FakeHelp : public Help {
  public:
    void showTopic(const std::string& file, const std::string& topic) override;
    void closeAll(const std::string& file) override;
    TranscriptSink transcript;
};

class FakeProcess : public Process {
  public:
    bool claimSingleInstance() override { return !otherInstanceRunning; }
    void endProgram() override;
    void startProgram(const std::string& path) override;
    void randomize() override {}
    double random() override;
    void seed(unsigned s) { m_random.seed(s); }

    bool otherInstanceRunning = false;
    bool ended = false;
    TranscriptSink transcript;

  private:
    std::mt19937 m_random{1};
};

// Sound that is only told of: each cue is a transcript line at the moment its first sound
// would be heard, `callout "TEXT"` or `callout tone`.
class FakeSound : public SoundOutput {
  public:
    std::string unavailable() const override { return whyNot; }
    std::vector<std::string> voices() const override { return installedVoices; }
    void setVoice(const std::string& v) override { voice = v; }
    void setVolume(int percent) override { volume = percent; }
    void prepare(const std::vector<std::string>& phrases) override;
    void plan(const std::vector<Cue>& cues) override { planned = cues; }
    void sound(const Cue& cue) override;
    // A phrase made ready sounds for its length in LENGTHS, else 80 ms a character (about
    // the pace of speech); none before it is made ready.
    std::optional<int> spokenMs(const std::string& phrase) const override;
    std::vector<VoiceVariant> variants() const override { return installedVariants; }
    void setStyle(const VoiceStyle& s) override { style = s; }
    std::vector<SoundDevice> outputs() const override { return outputList; }
    void setOutput(const std::string& name) override { output = name; }
    std::string outputMissing() const override { return missing; }
    // Makes sound available again (empty) or not, as a lost sound server would.
    void setUnavailable(std::string why);
    // The output chosen goes (its name) or comes back (empty), as the sound server tells.
    void setOutputMissing(std::string name);

    std::string whyNot;
    std::vector<std::string> installedVoices{"English", "English (America)", "French"};
    std::string voice;
    int volume = 100;
    std::vector<VoiceVariant> installedVariants{{"f3", "female3"}, {"m2", "male2"}};
    VoiceStyle style;
    std::vector<SoundDevice> outputList{{"room", "Room speakers"}, {"loop", "Headset loop"}};
    std::string output;
    std::string missing;
    std::vector<std::string> prepared; // every phrase asked for, in order, once
    std::map<std::string, int> lengths;
    std::vector<Cue> planned;
    TranscriptSink transcript;
};

// The clock's health as a test sets it. A new reading reaches the program as an event of its
// own, as the real one's does; until one is set the health is unknown.
class FakeClockHealth : public ClockHealthSource {
  public:
    explicit FakeClockHealth(Scheduler& scheduler) : m_scheduler(scheduler) {}
    ClockHealth current() const override { return m_health; }
    void onChange(std::function<void(const ClockHealth&)> listener) override {
        m_listener = std::move(listener);
    }
    // A new reading; the listener hears it when it differs from the last.
    void set(const ClockHealth& health);

  private:
    Scheduler& m_scheduler;
    ClockHealth m_health;
    std::function<void(const ClockHealth&)> m_listener;
};

// Every fake, wired together, with one transcript of what the program did to the outside
// world.
struct FakeWorld {
    explicit FakeWorld(AppInfo info = {});
    FakeWorld(const FakeWorld&) = delete;
    FakeWorld& operator=(const FakeWorld&) = delete;

    FakeClock clock;
    FakeScheduler scheduler{clock};
    ScriptedDialogs dialogs;
    MemorySettings settings;
    FakeHelp help;
    FakeProcess process;
    LocalFiles files;
    FakeSound sound;
    FakeClockHealth clockHealth{scheduler};
    Services services;
    std::vector<std::string> transcript;
    // Also told of every transcript line as it happens.
    TranscriptSink echo;
};

} // namespace orvane
