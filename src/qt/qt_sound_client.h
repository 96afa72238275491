#pragma once

// The program's sound output: the sound process orvane-sound, started beside the program and
// told over a pipe what to say and when (src/sound/sound_protocol.h). The voice and the sound
// server's client library load only there, so the clock carries neither, and a crash or hang
// of theirs costs the callouts, never the count. On the program's rounds, once a second, the
// program asks the sound process for an answer and looks whether it was stopped: one that
// ends, is stopped or stops answering is said at once and started again, each time a little
// later, up to a few seconds between tries; until it answers the program has no sound and
// says why.

#include "services/services.h"
#include "sound/sound_protocol.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QProcess;
class QTimer;

namespace orvane {

class SoundClient : public SoundOutput {
  public:
    using Post = std::function<void(std::function<void()>)>;
    // HELPER is the sound process's path (empty: none was found). POST runs a task on the
    // user-interface thread, later. A process that ends is started again after each of
    // RESTARTS in turn, then after the last of them each time.
    SoundClient(QString helper, Post post,
                std::vector<std::chrono::milliseconds> restarts = DefaultRestarts);
    ~SoundClient() override;
    SoundClient(const SoundClient&) = delete;
    SoundClient& operator=(const SoundClient&) = delete;

    // The sound process beside the program (the build) or where it is installed, or empty.
    static QString findHelper(const QString& executableDir);

    std::string unavailable() const override { return m_why; }
    std::vector<std::string> voices() const override { return m_voices; }
    void setVoice(const std::string& voice) override;
    void setVolume(int percent) override;
    void prepare(const std::vector<std::string>& phrases) override;
    void plan(const std::vector<Cue>& cues) override;
    void sound(const Cue& cue) override;
    void beat() override;
    std::vector<VoiceVariant> variants() const override { return m_variants; }
    void setStyle(const VoiceStyle& style) override;
    std::vector<SoundDevice> outputs() const override { return m_outputs; }
    void setOutput(const std::string& name) override;
    std::string outputMissing() const override { return m_outputMissing; }
    std::optional<int> spokenMs(const std::string& phrase) const override;

    // The running sound process, or 0.
    qint64 helperPid() const;
    // Whether an answer to the heartbeat's question is awaited.
    bool asking() const { return m_waiting.has_value(); }
    // The steady clock the heartbeat is measured on; a test may turn it by hand.
    std::function<std::chrono::steady_clock::time_point()> steadyNow = [] {
        return std::chrono::steady_clock::now();
    };

    static inline const std::vector<std::chrono::milliseconds> DefaultRestarts{
        std::chrono::milliseconds(200), std::chrono::seconds(1), std::chrono::seconds(2),
        std::chrono::seconds(4)};
    // Queued for a sound process that reads nothing: past this it is taken for hung.
    static constexpr qint64 MaxUnread = 1 << 20;
    // The sound process is asked for an answer at most this often, and taken for hung when
    // none came for Silent after it was asked; a process just started has Starting to give
    // its first. While a cue is planned it is asked each round (at most every BusyHeartbeat),
    // so that a hang loses at most a second or two of cues; with nothing to say it is left
    // to sleep longer.
    static constexpr auto Heartbeat = std::chrono::seconds(10);
    static constexpr auto BusyHeartbeat = std::chrono::milliseconds(900);
    static constexpr auto Silent = std::chrono::milliseconds(1500);
    static constexpr auto Starting = std::chrono::seconds(5);
    // Phrases kept to tell a sound process started anew; the oldest goes first.
    static constexpr std::size_t MaxPhrases = 64;

  private:
    void start();
    bool stopped() const;
    void hung();
    void send(const SoundMessage& message);
    void readAnswers();
    void ended(const std::string& why);
    void setWhy(std::string why);
    void tellChanged();
    void tellMissed(const std::string& text);
    void tellReady();

    QString m_helper;
    Post m_post;
    std::vector<std::chrono::milliseconds> m_restarts;
    std::size_t m_restarted = 0;
    QObject m_context;
    std::unique_ptr<QProcess> m_process;
    QTimer* m_restartTimer = nullptr;
    std::uint64_t m_beats = 0;
    std::chrono::steady_clock::time_point m_lastAnswer;
    std::chrono::steady_clock::time_point m_lastAsked;
    // Since when an answer is awaited: from the last question, or the start; none after one.
    std::optional<std::chrono::steady_clock::time_point> m_waiting;
    SoundLineReader m_reader;
    bool m_answered = false; // the running process has spoken since it started
    bool m_hung = false;     // it was killed for answering or reading nothing
    std::chrono::steady_clock::time_point m_started;

    std::string m_why;
    std::vector<std::string> m_voices;
    std::vector<VoiceVariant> m_variants;
    std::vector<SoundDevice> m_outputs;
    std::string m_outputMissing;
    // How long each phrase sounds, as the sound process told; of the phrases kept only.
    std::map<std::string, int> m_spoken;
    // What the program asked for, told again to a process started anew.
    std::optional<std::string> m_voice;
    std::optional<int> m_volume;
    std::optional<VoiceStyle> m_style;
    std::optional<std::string> m_output;
    std::vector<std::string> m_phrases; // the oldest first
    std::vector<Cue> m_plan;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace orvane
