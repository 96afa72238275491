#include "sound/speech_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>

// The sound server's side of the output: the connection, kept or looked for again, and the
// one stream the cues are written into.

namespace orvane {

namespace {

// A sound server that has not answered this long after being asked is taken for gone.
constexpr std::int64_t AnswerMs = 3000;
// A lost sound server is looked for again this often, the first few times; while it stays
// away, the waits grow to at most MaxRetryMs, since each look costs the machine as much as a
// second of the count shown.
constexpr std::int64_t RetryMs = 1000;
constexpr int FastRetries = 5;
constexpr std::int64_t MaxRetryMs = 10'000;
// While the server's socket is watched, a look by time only covers what the watch cannot see
// (a server reached another way than its socket).
constexpr std::int64_t MaxWatchedRetryMs = 60'000;
// While a connection is being made or a cue waits for the server, the watch looks this often.
constexpr std::int64_t WatchMs = 250;

std::int64_t steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

void SpeechOutput::startServer() {
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop || pa_threaded_mainloop_start(m_loop) < 0) {
        setVoiceWhy("No sound: the sound library could not start.");
        return;
    }
    pa_threaded_mainloop_lock(m_loop);
    startContext();
    const std::string socket = ServerSocketWatch::socketPath(
        std::getenv("PULSE_SERVER"), std::getenv("PULSE_RUNTIME_PATH"),
        std::getenv("XDG_RUNTIME_DIR"));
    if (!socket.empty() && m_socketWatch.start(socket)) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
        m_socketEvent = api->io_new(
            api, m_socketWatch.fd(), PA_IO_EVENT_INPUT,
            [](pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
                auto* out = static_cast<SpeechOutput*>(self);
                if (out->m_socketWatch.appeared() && !out->m_contextReady) {
                    out->m_failures = 0;
                    out->m_lookNow = true;
                    out->tellWatch();
                }
            },
            this);
    }
    pa_threaded_mainloop_unlock(m_loop);
    m_watch = std::thread([this] { watchLoop(); });
}

void SpeechOutput::startContext() {
    m_lookNow = false;
    m_attemptMs = steadyMs();
    m_failedMs = 0;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Orvane");
    if (!m_context) {
        m_failedMs = m_attemptMs;
        return;
    }
    pa_context_set_state_callback(m_context, onContextState, this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        setServerWhy(std::string("No sound server: ") + pa_strerror(pa_context_errno(m_context)) +
                     ".");
        m_failedMs = m_attemptMs;
    }
}

void SpeechOutput::dropContext() {
    closeStream();
    m_contextReady = false;
    m_outputsKnown = false;
    if (!m_context)
        return;
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
    m_context = nullptr;
}

void SpeechOutput::onContextState(pa_context* c, void* self) {
    auto* out = static_cast<SpeechOutput*>(self);
    switch (pa_context_get_state(c)) {
    case PA_CONTEXT_READY:
        out->m_contextReady = true;
        out->m_failures = 0;
        out->setServerWhy("");
        // The outputs are listed before the stream opens, so that it opens on the one chosen.
        pa_context_set_subscribe_callback(
            c,
            [](pa_context*, pa_subscription_event_type_t type, std::uint32_t, void* self) {
                const int event = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
                if (event == PA_SUBSCRIPTION_EVENT_NEW || event == PA_SUBSCRIPTION_EVENT_REMOVE ||
                    event == PA_SUBSCRIPTION_EVENT_CHANGE)
                    static_cast<SpeechOutput*>(self)->listOutputs();
            },
            out);
        pa_operation_unref(pa_context_subscribe(c, PA_SUBSCRIPTION_MASK_SINK, nullptr, nullptr));
        out->listOutputs();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        out->m_contextReady = false;
        out->m_failedMs = std::max<std::int64_t>(1, steadyMs());
        out->setServerWhy(std::string("No sound server: ") + pa_strerror(pa_context_errno(c)) +
                          ".");
        out->tellWatch();
        break;
    default:
        break;
    }
}

std::int64_t SpeechOutput::retryWaitMs(int failures, bool watched) {
    if (failures <= FastRetries)
        return RetryMs;
    if (watched)
        return MaxWatchedRetryMs;
    const int doublings = std::min(failures - FastRetries, 4);
    return std::min(RetryMs << doublings, MaxRetryMs);
}

// While the server and the stream are there the watch sleeps until told otherwise, so that an
// idle program costs the machine no wake-ups; without them it wakes when there is something to
// look at: a connection under way, a cue waiting, the next look for the server.
void SpeechOutput::watchLoop() {
    std::unique_lock lock(m_watchMutex);
    bool calm = false;
    std::int64_t waitMs = WatchMs;
    for (;;) {
        if (calm) {
            m_watchWake.wait(lock, [this] { return m_watchStopping || m_watchTold; });
        } else {
            // Told meanwhile (a cue queued, the server lost), the watch looks within WatchMs
            // rather than at the next look for the server.
            auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
            while (!m_watchStopping &&
                   m_watchWake.wait_until(lock, until,
                                          [this] { return m_watchStopping || m_watchTold; })) {
                m_watchTold = false;
                until = std::min(until, std::chrono::steady_clock::now() +
                                            std::chrono::milliseconds(WatchMs));
            }
        }
        if (m_watchStopping)
            return;
        m_watchTold = false;
        lock.unlock();
        pa_threaded_mainloop_lock(m_loop);
        watchServer();
        const bool playing = m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY;
        calm = playing && m_contextReady;
        // Until the next look for a server that is away; a connection under way is looked at
        // every WatchMs.
        const std::int64_t now = steadyMs();
        const std::int64_t since = m_failedMs != 0 ? m_failedMs : m_attemptMs;
        const bool watched = m_socketEvent != nullptr;
        waitMs = m_failedMs != 0 || !m_context
                     ? std::clamp<std::int64_t>(since + retryWaitMs(m_failures, watched) - now,
                                                1, MaxWatchedRetryMs)
                     : WatchMs;
        pa_threaded_mainloop_unlock(m_loop);
        // Without a stream, a planned cue whose moment has passed will not be heard; one asked
        // for now waits for the server a little, as long as it would for its phrase.
        std::vector<std::string> missed;
        if (!playing) {
            std::lock_guard cues(m_cueMutex);
            const double now = realtimeMs();
            std::erase_if(m_pending, [&](const Playing& p) {
                const bool late = now - p.startMs > (p.fromPlan ? LateMs : 2000.0);
                if (late)
                    missed.push_back(p.text);
                return late;
            });
            if (!m_pending.empty())
                waitMs = std::min(waitMs, WatchMs);
        }
        for (const std::string& text : missed)
            tellMissed(text);
        lock.lock();
    }
}

void SpeechOutput::tellWatch() {
    {
        std::lock_guard lock(m_watchMutex);
        m_watchTold = true;
    }
    m_watchWake.notify_all();
}

void SpeechOutput::onStreamState(pa_stream* s, void* self) {
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        static_cast<SpeechOutput*>(self)->tellWatch();
}

// A cue to come: the stream plays again, a little ahead of it.
void SpeechOutput::uncork() {
    if (!m_loop)
        return;
    pa_threaded_mainloop_lock(m_loop);
    if (m_stream && m_corked && pa_stream_get_state(m_stream) == PA_STREAM_READY) {
        m_corked = false;
        // Until the server tells the stream's timing anew, what it knew before the cork may
        // place a cue wrong: only silence is written.
        m_timingFresh = false;
        m_timingAskedMs = realtimeMs();
        pa_operation_unref(pa_stream_update_timing_info(
            m_stream,
            [](pa_stream*, int, void* self) {
                static_cast<SpeechOutput*>(self)->m_timingFresh = true;
            },
            this));
        {
            std::lock_guard lock(m_cueMutex);
            m_idleSinceMs = realtimeMs();
        }
        pa_operation_unref(pa_stream_cork(m_stream, 0, nullptr, nullptr));
    }
    pa_threaded_mainloop_unlock(m_loop);
}

void SpeechOutput::watchServer() {
    const std::int64_t now = steadyMs();
    const bool watched = m_socketEvent != nullptr;
    if (!m_context) {
        if (m_lookNow || now - m_attemptMs >= retryWaitMs(m_failures, watched)) {
            ++m_failures;
            startContext();
        }
        return;
    }
    if (m_failedMs != 0) {
        if (m_lookNow || now - m_failedMs >= retryWaitMs(m_failures, watched)) {
            ++m_failures;
            dropContext();
            startContext();
        }
        return;
    }
    if (!m_contextReady) {
        // Accepted but never answered: said, and asked again.
        if (now - m_attemptMs >= AnswerMs) {
            setServerWhy("No sound server: the sound server does not answer.");
            dropContext();
            startContext();
        }
        return;
    }
    if (m_stream) {
        const pa_stream_state_t s = pa_stream_get_state(m_stream);
        if (s == PA_STREAM_FAILED || s == PA_STREAM_TERMINATED)
            closeStream();
    }
    if (m_outputsKnown)
        openStream();
}

void SpeechOutput::openStream() {
    if (m_stream || !m_contextReady)
        return;
    std::string target;
    {
        std::lock_guard lock(m_stateMutex);
        if (m_outputMissing.empty())
            target = m_outputWanted;
    }
    const pa_sample_spec format{PA_SAMPLE_S16LE, std::uint32_t(m_rate), 1};
    m_stream = pa_stream_new(m_context, "Callouts", &format, nullptr);
    if (!m_stream)
        return;
    pa_stream_set_write_callback(m_stream, onWrite, this);
    pa_stream_set_state_callback(m_stream, onStreamState, this);
    pa_stream_set_moved_callback(m_stream, onStreamMoved, this);
    m_corked = false;
    m_timingFresh = true;
    m_idleSinceMs = realtimeMs();
    pa_buffer_attr attr;
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(pa_usec_to_bytes(250000, &format));
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(pa_usec_to_bytes(50000, &format));
    attr.fragsize = std::uint32_t(-1);
    // The stream's timing is asked for while it plays (onWrite), not on a timer of the
    // library's own, which would wake this process while the stream is corked.
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING);
    if (pa_stream_connect_playback(m_stream, target.empty() ? nullptr : target.c_str(), &attr,
                                   flags, nullptr, nullptr) < 0) {
        pa_stream_unref(m_stream);
        m_stream = nullptr;
        return;
    }
    m_streamOutput = target;
}

void SpeechOutput::closeStream() {
    if (!m_stream)
        return;
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_moved_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

} // namespace orvane
