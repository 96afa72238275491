#include "sound/speech_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace orvane {

namespace {

constexpr int Rate = 22050;
// A cue whose first sound could only be heard this late is not said: a number said well after
// its second is worse than none.
constexpr double LateMs = 400;
// The stream closes after this long with no cue to play.
constexpr double IdleMs = 3000;

double realtimeMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

} // namespace

SpeechOutput::SpeechOutput(std::function<void(std::function<void()>)> post)
    : m_post(std::move(post)), m_rate(Rate), m_tone(std::make_shared<const Pcm>(makeTone(Rate))) {
    m_synth = std::thread([this] { synthLoop(); });
    connectServer();
}

SpeechOutput::~SpeechOutput() {
    {
        std::lock_guard lock(m_synthMutex);
        m_stopping = true;
    }
    m_synthWake.notify_all();
    if (m_loop) {
        pa_threaded_mainloop_lock(m_loop);
        closeStream();
        if (m_context)
            pa_context_disconnect(m_context);
        pa_threaded_mainloop_unlock(m_loop);
        pa_threaded_mainloop_stop(m_loop);
        if (m_context)
            pa_context_unref(m_context);
        pa_threaded_mainloop_free(m_loop);
    }
    m_synth.join();
    // Tasks posted but not yet run find the output gone.
    m_alive.reset();
}

void SpeechOutput::setUnavailable(std::string why) {
    {
        std::lock_guard lock(m_stateMutex);
        // The first reason is the one the user is told; the program says it once.
        if (!m_why.empty())
            return;
        m_why = std::move(why);
    }
    tellChanged();
}

void SpeechOutput::tellChanged() {
    std::weak_ptr<bool> alive = m_alive;
    m_post([this, alive] {
        if (alive.lock() && onAvailabilityChanged)
            onAvailabilityChanged();
    });
}

std::string SpeechOutput::unavailable() const {
    std::lock_guard lock(m_stateMutex);
    return m_why;
}

std::vector<std::string> SpeechOutput::voices() const {
    std::lock_guard lock(m_synthMutex);
    return m_voices;
}

void SpeechOutput::setVoice(const std::string& voice) {
    {
        std::lock_guard lock(m_synthMutex);
        m_voiceWanted = voice;
        m_voiceChanged = true;
    }
    m_synthWake.notify_all();
}

void SpeechOutput::setVolume(int percent) {
    std::lock_guard lock(m_cueMutex);
    m_volume = std::clamp(percent, 0, 100) / 100.0;
}

void SpeechOutput::prepare(const std::vector<std::string>& phrases) {
    {
        std::lock_guard lock(m_synthMutex);
        for (const std::string& p : phrases) {
            if (p.empty() || std::find(m_known.begin(), m_known.end(), p) != m_known.end())
                continue;
            m_known.push_back(p);
            m_toSynth.push_back(p);
        }
    }
    m_synthWake.notify_all();
}

std::shared_ptr<const SpeechOutput::Pcm> SpeechOutput::rendered(const std::string& text) const {
    std::lock_guard lock(m_synthMutex);
    const auto it = m_cache.find(text);
    return it == m_cache.end() ? nullptr : it->second;
}

void SpeechOutput::connectServer() {
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop) {
        setUnavailable("No sound: the sound library could not start.");
        return;
    }
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Orvane");
    if (!m_context) {
        setUnavailable("No sound: the sound library could not start.");
        return;
    }
    pa_context_set_state_callback(m_context, onContextState, this);
    pa_threaded_mainloop_lock(m_loop);
    const bool asked = pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    if (asked)
        pa_threaded_mainloop_start(m_loop);
    pa_threaded_mainloop_unlock(m_loop);
    if (!asked)
        setUnavailable(std::string("No sound server: ") + pa_strerror(pa_context_errno(m_context)) +
                       ".");
}

void SpeechOutput::onContextState(pa_context* c, void* self) {
    auto* out = static_cast<SpeechOutput*>(self);
    switch (pa_context_get_state(c)) {
    case PA_CONTEXT_READY:
        out->m_contextReady = true;
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        out->m_contextReady = false;
        out->m_stream = nullptr;
        out->setUnavailable(std::string("No sound server: ") + pa_strerror(pa_context_errno(c)) +
                            ".");
        break;
    default:
        break;
    }
}

void SpeechOutput::openStream() {
    if (m_stream || !m_contextReady)
        return;
    const pa_sample_spec format{PA_SAMPLE_S16LE, std::uint32_t(m_rate), 1};
    m_stream = pa_stream_new(m_context, "Callouts", &format, nullptr);
    if (!m_stream)
        return;
    pa_stream_set_write_callback(m_stream, onWrite, this);
    pa_buffer_attr attr;
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = std::uint32_t(pa_usec_to_bytes(250000, &format));
    attr.prebuf = std::uint32_t(-1);
    attr.minreq = std::uint32_t(pa_usec_to_bytes(50000, &format));
    attr.fragsize = std::uint32_t(-1);
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                         PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    m_idleSinceMs = realtimeMs();
}

void SpeechOutput::closeStream() {
    if (!m_stream)
        return;
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void SpeechOutput::keepStream(bool cueNear) {
    if (!m_loop || !cueNear)
        return;
    pa_threaded_mainloop_lock(m_loop);
    openStream();
    pa_threaded_mainloop_unlock(m_loop);
}

void SpeechOutput::plan(const std::vector<Cue>& cues) {
    {
        std::lock_guard lock(m_cueMutex);
        std::erase_if(m_pending, [](const Playing& p) { return p.fromPlan; });
        for (const Cue& c : cues) {
            const bool begun = std::find(m_begun.begin(), m_begun.end(),
                                         std::pair(c.text, c.atMs)) != m_begun.end();
            if (begun)
                continue;
            Playing p;
            p.text = c.text;
            p.atMs = c.atMs;
            p.startMs = double(c.atMs);
            p.fromPlan = true;
            const auto at = std::find_if(m_pending.begin(), m_pending.end(),
                                         [&](const Playing& q) { return q.startMs > p.startMs; });
            m_pending.insert(at, std::move(p));
        }
    }
    keepStream(!cues.empty());
}

void SpeechOutput::sound(const Cue& cue) {
    {
        std::lock_guard lock(m_cueMutex);
        const auto key = std::pair(cue.text, cue.atMs);
        if (std::find(m_begun.begin(), m_begun.end(), key) != m_begun.end())
            return;
        if (std::any_of(m_pending.begin(), m_pending.end(),
                        [&](const Playing& p) { return p.text == cue.text && p.atMs == cue.atMs; }))
            return;
        Playing p;
        p.text = cue.text;
        p.atMs = cue.atMs;
        p.startMs = std::max(double(cue.atMs), realtimeMs());
        const auto at = std::find_if(m_pending.begin(), m_pending.end(),
                                     [&](const Playing& q) { return q.startMs > p.startMs; });
        m_pending.insert(at, std::move(p));
    }
    keepStream(true);
}

// T0 is when the first of the N samples will be heard. A cue starts at the sample nearest its
// moment and cuts the one before it short; cues of one moment follow each other.
void SpeechOutput::fill(std::int16_t* out, std::size_t n, double t0Ms) {
    std::lock_guard lock(m_cueMutex);
    const double msPerSample = 1000.0 / m_rate;
    for (std::size_t i = 0; i < n; ++i) {
        const double t = t0Ms + double(i) * msPerSample;
        while (!m_pending.empty() && m_pending.front().startMs <= t &&
               (!m_active || m_active->pos >= m_active->pcm->size() ||
                m_active->atMs < m_pending.front().atMs)) {
            Playing p = std::move(m_pending.front());
            m_pending.erase(m_pending.begin());
            m_begun.emplace_back(p.text, p.atMs);
            if (m_begun.size() > 64)
                m_begun.pop_front();
            if (t - p.startMs > LateMs)
                continue;
            // A phrase not made by its second is a tone.
            p.pcm = p.text.empty() ? nullptr : rendered(p.text);
            if (!p.pcm)
                p.pcm = m_tone;
            m_active = std::make_unique<Playing>(std::move(p));
        }
        std::int16_t sample = 0;
        if (m_active && m_active->pos < m_active->pcm->size())
            sample = std::int16_t(double((*m_active->pcm)[m_active->pos++]) * m_volume);
        out[i] = sample;
    }
    if (m_active && m_active->pos < m_active->pcm->size())
        m_idleSinceMs = t0Ms;
    else if (!m_pending.empty())
        m_idleSinceMs = t0Ms;
}

void SpeechOutput::onWrite(pa_stream* s, std::size_t nbytes, void* self) {
    auto* out = static_cast<SpeechOutput*>(self);
    void* data = nullptr;
    std::size_t bytes = nbytes;
    if (pa_stream_begin_write(s, &data, &bytes) < 0 || !data)
        return;
    const std::size_t n = bytes / sizeof(std::int16_t);
    auto* samples = static_cast<std::int16_t*>(data);
    pa_usec_t latency = 0;
    int negative = 0;
    const double now = realtimeMs();
    // Until the server has told the stream's timing, only silence is written.
    if (pa_stream_get_latency(s, &latency, &negative) == 0)
        out->fill(samples, n, now + (negative ? 0.0 : double(latency) / 1000.0));
    else
        std::memset(samples, 0, n * sizeof(std::int16_t));
    pa_stream_write(s, data, n * sizeof(std::int16_t), nullptr, 0, PA_SEEK_RELATIVE);

    // No cue near: the stream goes, so an idle program keeps no sound running.
    bool idle = false;
    {
        std::lock_guard lock(out->m_cueMutex);
        idle = out->m_pending.empty() && now - out->m_idleSinceMs > IdleMs;
    }
    if (idle)
        pa_mainloop_api_once(
            pa_threaded_mainloop_get_api(out->m_loop),
            [](pa_mainloop_api*, void* self) {
                auto* o = static_cast<SpeechOutput*>(self);
                std::lock_guard lock(o->m_cueMutex);
                if (o->m_pending.empty())
                    o->closeStream();
            },
            out);
}

} // namespace orvane
