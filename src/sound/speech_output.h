#pragma once

// The real sound output: phrases spoken by a synthetic voice (eSpeak NG, in this process) on
// one thread of their own, played through the sound server (the PulseAudio client library,
// which PipeWire's pulse server also answers) on the client library's own thread. Each cue is
// written into the stream so that its first sound reaches the speaker on its moment, by the
// stream's measured latency. The stream stays open while the sound server is there, so a cue
// never waits for one to open; a server that goes away is looked for again, at once when the
// kernel tells that its socket appeared, and otherwise after a while.

#include "services/services.h"
#include "sound/server_socket_watch.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_io_event;

namespace orvane {

class SpeechOutput : public SoundOutput {
  public:
    using Pcm = std::vector<std::int16_t>;
    // POST runs a task on the user-interface thread, later; it must be callable from any
    // thread.
    explicit SpeechOutput(std::function<void(std::function<void()>)> post);
    ~SpeechOutput() override;
    SpeechOutput(const SpeechOutput&) = delete;
    SpeechOutput& operator=(const SpeechOutput&) = delete;

    std::string unavailable() const override;
    std::vector<std::string> voices() const override;
    void setVoice(const std::string& voice) override;
    void setVolume(int percent) override;
    void prepare(const std::vector<std::string>& phrases) override;
    void plan(const std::vector<Cue>& cues) override;
    void sound(const Cue& cue) override;
    std::vector<VoiceVariant> variants() const override;
    void setStyle(const VoiceStyle& style) override;
    std::vector<SoundDevice> outputs() const override;
    void setOutput(const std::string& name) override;
    std::string outputMissing() const override;
    std::optional<int> spokenMs(const std::string& phrase) const override;
    // The phrases made since it was last asked, with how long each sounds; onReady tells
    // that there are some.
    std::vector<std::pair<std::string, int>> takeReady();

    // The samples per second of every phrase and tone.
    int rate() const { return m_rate; }
    // The phrase as the voice renders it (leading silence cut), once made; empty before.
    std::shared_ptr<const Pcm> rendered(const std::string& text) const;
    static Pcm makeTone(int rate);
    // At most this many phrases are kept made; the one prepared longest ago goes first.
    static constexpr std::size_t MaxPhrases = 64;
    // How long the watch waits before it looks for a sound server again, after FAILURES looks
    // in a row found none: a second the first few times, then longer, to at most ten; a
    // minute while the server's socket is WATCHED, since its coming is then told at once.
    static std::int64_t retryWaitMs(int failures, bool watched = false);

  private:
    // A planned cue whose first sound could only be heard this late is not said: a number said
    // well after its second is worse than none. The program is told of it.
    static constexpr double LateMs = 400;
    // The stream is corked after this long with nothing to play.
    static constexpr double IdleMs = 3000;
    // While the stream plays, its timing is asked of the server this often.
    static constexpr double TimingMs = 100;

    struct Playing {
        std::string text;
        std::int64_t atMs = 0; // the cue's moment, which names it
        double startMs = 0;    // when its first sample is to be heard
        std::shared_ptr<const Pcm> pcm;
        std::size_t pos = 0;
        bool fromPlan = false; // planned ahead, rather than asked for when due
    };

    void synthLoop();
    // Adds TEXT to the phrases kept made (or makes it the newest); with the synthesis lock.
    void know(const std::string& text);
    // Puts a cue among those to play, in order of their start; with the cue lock.
    void queue(Playing p);
    void startServer();
    // Every quarter second: connects to the sound server while there is none, gives up on
    // one that does not answer, reopens a stream that failed, and tells of cues that
    // could not be played.
    void watchLoop();
    void watchServer();  // with the mainloop locked
    void startContext(); // with the mainloop locked
    void dropContext();  // with the mainloop locked
    void openStream();   // with the mainloop locked
    void closeStream();  // with the mainloop locked
    void fill(std::int16_t* out, std::size_t n, double t0Ms);
    void setServerWhy(std::string why);
    void setVoiceWhy(std::string why);
    void tellMissed(const std::string& text);
    // Wakes the watch, which sleeps while all is well.
    void tellWatch();
    void uncork();
    // Tells the program, on its own thread, that unavailable() or voices() changed.
    void tellChanged();
    // Asks the sound server for its outputs; with the mainloop locked.
    void listOutputs();
    // Puts the stream on the output chosen when it is there, else on the default, and says
    // which; with the mainloop locked.
    void followOutput();
    // Moves the playing stream onto TARGET (empty: the default output); with the mainloop
    // locked.
    void moveStream(const std::string& target);
    // Asks the server for the stream's timing now; with the mainloop locked.
    void askTiming();
    // The wall clock, in milliseconds, on which cues have their moments.
    static double realtimeMs();
    static void onContextState(pa_context* c, void* self);
    static void onWrite(pa_stream* s, std::size_t nbytes, void* self);
    static void onStreamState(pa_stream* s, void* self);
    static void onStreamMoved(pa_stream* s, void* self);

    std::function<void(std::function<void()>)> m_post;
    int m_rate = 22050;

    // The synthesis thread and what it is asked for.
    std::thread m_synth;
    mutable std::mutex m_synthMutex;
    std::condition_variable m_synthWake;
    std::deque<std::string> m_toSynth;
    std::deque<Cue> m_toSay; // cues asked for now, played once their phrase is made
    std::string m_voiceWanted;
    VoiceStyle m_styleWanted;
    bool m_voiceChanged = false;
    std::vector<VoiceVariant> m_variants;
    std::vector<std::pair<std::string, int>> m_ready; // made, not yet told
    bool m_readyTold = false;                         // onReady is on its way
    bool m_stopping = false;
    std::vector<std::string> m_voices;
    std::deque<std::string> m_known; // the phrases kept made, made again for a new voice
    std::map<std::string, std::shared_ptr<const Pcm>> m_cache;
    std::shared_ptr<const Pcm> m_tone;

    // The sound server, on the client library's thread.
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    bool m_contextReady = false;
    std::int64_t m_attemptMs = 0; // when the last connection was begun, on the steady clock
    std::int64_t m_failedMs = 0;  // when it failed; 0 while it has not
    int m_failures = 0;           // looks for the server in a row that found none
    bool m_lookNow = false;       // the server's socket appeared: looked for at once
    ServerSocketWatch m_socketWatch;
    pa_io_event* m_socketEvent = nullptr;
    std::thread m_watch;
    std::mutex m_watchMutex;
    std::condition_variable m_watchWake;
    bool m_watchStopping = false;
    bool m_watchTold = false;
    bool m_corked = false;       // with the mainloop locked
    double m_timingAskedMs = 0;  // likewise
    std::string m_outputWanted;  // likewise: the output chosen (empty: the default)
    std::string m_streamOutput;  // likewise: the output the stream plays on (empty: default)
    bool m_outputsKnown = false; // likewise: the outputs were listed once
    bool m_timingFresh = true;   // likewise: the timing was told since the stream last played

    // The cues, shared between the user-interface thread and the stream's writes.
    mutable std::mutex m_cueMutex;
    std::vector<Playing> m_pending; // by startMs
    std::unique_ptr<Playing> m_active;
    std::unique_ptr<Playing> m_toneActive; // a tone sounds over a phrase, cutting none
    std::deque<std::pair<std::string, std::int64_t>> m_begun; // cues already on their way
    double m_volume = 0.8;
    double m_idleSinceMs = 0;

    mutable std::mutex m_stateMutex;
    std::string m_serverWhy; // why the sound server cannot be heard
    std::string m_voiceWhy;  // why there is no voice, for good
    std::vector<SoundDevice> m_outputs;
    std::string m_outputMissing;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace orvane
