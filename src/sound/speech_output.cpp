#include "sound/speech_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <utility>

namespace orvane {

namespace {

constexpr int Rate = 22050;

} // namespace

double SpeechOutput::realtimeMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(system_clock::now().time_since_epoch()).count();
}

SpeechOutput::SpeechOutput(std::function<void(std::function<void()>)> post)
    : m_post(std::move(post)), m_rate(Rate), m_tone(std::make_shared<const Pcm>(makeTone(Rate))) {
    m_synth = std::thread([this] { synthLoop(); });
    startServer();
}

SpeechOutput::~SpeechOutput() {
    {
        std::lock_guard lock(m_synthMutex);
        m_stopping = true;
    }
    m_synthWake.notify_all();
    {
        std::lock_guard lock(m_watchMutex);
        m_watchStopping = true;
    }
    m_watchWake.notify_all();
    if (m_watch.joinable())
        m_watch.join();
    if (m_loop) {
        pa_threaded_mainloop_lock(m_loop);
        dropContext();
        if (m_socketEvent)
            pa_threaded_mainloop_get_api(m_loop)->io_free(m_socketEvent);
        m_socketEvent = nullptr;
        pa_threaded_mainloop_unlock(m_loop);
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }
    m_synth.join();
    // Tasks posted but not yet run find the output gone.
    m_alive.reset();
}

void SpeechOutput::setServerWhy(std::string why) {
    {
        std::lock_guard lock(m_stateMutex);
        if (m_serverWhy == why)
            return;
        m_serverWhy = std::move(why);
    }
    tellChanged();
}

void SpeechOutput::setVoiceWhy(std::string why) {
    {
        std::lock_guard lock(m_stateMutex);
        m_voiceWhy = std::move(why);
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

void SpeechOutput::tellMissed(const std::string& text) {
    std::weak_ptr<bool> alive = m_alive;
    m_post([this, alive, text] {
        if (alive.lock() && onMissed)
            onMissed(text);
    });
}

std::string SpeechOutput::unavailable() const {
    std::lock_guard lock(m_stateMutex);
    // No voice is for good; a missing sound server may come back.
    return m_voiceWhy.empty() ? m_serverWhy : m_voiceWhy;
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

std::vector<VoiceVariant> SpeechOutput::variants() const {
    std::lock_guard lock(m_synthMutex);
    return m_variants;
}

void SpeechOutput::setStyle(const VoiceStyle& style) {
    {
        std::lock_guard lock(m_synthMutex);
        if (style == m_styleWanted)
            return;
        m_styleWanted = style;
        m_styleWanted.speed = std::clamp(style.speed, VoiceStyle::MinSpeed, VoiceStyle::MaxSpeed);
        m_styleWanted.pitch = std::clamp(style.pitch, 0, VoiceStyle::MaxPitch);
        m_voiceChanged = true;
    }
    m_synthWake.notify_all();
}

std::optional<int> SpeechOutput::spokenMs(const std::string& phrase) const {
    const std::shared_ptr<const Pcm> pcm = rendered(phrase);
    if (!pcm)
        return std::nullopt;
    return int(std::int64_t(pcm->size()) * 1000 / m_rate);
}

std::vector<std::pair<std::string, int>> SpeechOutput::takeReady() {
    std::lock_guard lock(m_synthMutex);
    m_readyTold = false;
    return std::exchange(m_ready, {});
}

std::vector<SoundDevice> SpeechOutput::outputs() const {
    std::lock_guard lock(m_stateMutex);
    return m_outputs;
}

std::string SpeechOutput::outputMissing() const {
    std::lock_guard lock(m_stateMutex);
    return m_outputMissing;
}

void SpeechOutput::setVolume(int percent) {
    std::lock_guard lock(m_cueMutex);
    m_volume = std::clamp(percent, 0, 100) / 100.0;
}

void SpeechOutput::know(const std::string& text) {
    const auto it = std::find(m_known.begin(), m_known.end(), text);
    if (it != m_known.end()) {
        m_known.erase(it);
        m_known.push_back(text);
        return;
    }
    m_known.push_back(text);
    m_toSynth.push_back(text);
    while (m_known.size() > MaxPhrases) {
        m_cache.erase(m_known.front());
        m_known.pop_front();
    }
}

void SpeechOutput::prepare(const std::vector<std::string>& phrases) {
    {
        std::lock_guard lock(m_synthMutex);
        for (const std::string& p : phrases)
            if (!p.empty())
                know(p);
    }
    m_synthWake.notify_all();
}

std::shared_ptr<const SpeechOutput::Pcm> SpeechOutput::rendered(const std::string& text) const {
    std::lock_guard lock(m_synthMutex);
    const auto it = m_cache.find(text);
    return it == m_cache.end() ? nullptr : it->second;
}

void SpeechOutput::queue(Playing p) {
    const auto at = std::find_if(m_pending.begin(), m_pending.end(),
                                 [&](const Playing& q) { return q.startMs > p.startMs; });
    m_pending.insert(at, std::move(p));
}

void SpeechOutput::plan(const std::vector<Cue>& cues) {
    {
        std::lock_guard lock(m_cueMutex);
        // A cue whose second has come is on its way, though it may wait for another of that
        // second to end (an event's name after the count's number): the new plan leaves it be.
        const double now = realtimeMs();
        std::erase_if(m_pending, [now](const Playing& p) { return p.fromPlan && p.startMs > now; });
        for (const Cue& c : cues) {
            if (std::find(m_begun.begin(), m_begun.end(), std::pair(c.text, c.atMs)) !=
                m_begun.end())
                continue;
            Playing p;
            p.text = c.text;
            p.atMs = c.atMs;
            p.startMs = double(c.atMs);
            p.fromPlan = true;
            queue(std::move(p));
        }
    }
    if (cues.empty())
        return;
    // The phrases due soonest are made first: a process started anew has them all to make.
    {
        std::lock_guard lock(m_synthMutex);
        for (auto c = cues.rbegin(); c != cues.rend(); ++c)
            if (!c->text.empty() && !m_cache.contains(c->text)) {
                std::erase(m_toSynth, c->text);
                m_toSynth.push_front(c->text);
            }
    }
    m_synthWake.notify_all();
    uncork();
    tellWatch();
}

// A cue asked for now is heard as soon as its phrase is made: the synthesis thread queues it.
void SpeechOutput::sound(const Cue& cue) {
    {
        std::lock_guard lock(m_cueMutex);
        const auto key = std::pair(cue.text, cue.atMs);
        if (std::find(m_begun.begin(), m_begun.end(), key) != m_begun.end())
            return;
        if (std::any_of(m_pending.begin(), m_pending.end(),
                        [&](const Playing& p) { return p.text == cue.text && p.atMs == cue.atMs; }))
            return;
    }
    {
        std::lock_guard lock(m_synthMutex);
        m_toSay.push_back(cue);
        if (!cue.text.empty())
            know(cue.text);
    }
    m_synthWake.notify_all();
    // The stream gets ready while the phrase is made.
    uncork();
    tellWatch();
}

// T0 is when the first of the N samples will be heard. A cue starts at the sample nearest its
// moment and cuts the one before it short; cues of one moment follow each other.
void SpeechOutput::fill(std::int16_t* out, std::size_t n, double t0Ms) {
    std::vector<std::string> missed;
    {
        std::lock_guard lock(m_cueMutex);
        const double msPerSample = 1000.0 / m_rate;
        for (std::size_t i = 0; i < n; ++i) {
            const double t = t0Ms + double(i) * msPerSample;
            // A tone starts on its moment whatever plays; a phrase cuts the one before it,
            // unless that is of its own moment.
            while (!m_pending.empty() && m_pending.front().startMs <= t &&
                   (m_pending.front().text.empty() || !m_active ||
                    m_active->pos >= m_active->pcm->size() ||
                    m_active->atMs < m_pending.front().atMs)) {
                Playing p = std::move(m_pending.front());
                m_pending.erase(m_pending.begin());
                m_begun.emplace_back(p.text, p.atMs);
                if (m_begun.size() > 64)
                    m_begun.pop_front();
                // A cue that waited for another of its own moment is not late: it follows.
                const bool following = m_active && m_active->atMs == p.atMs;
                if (p.fromPlan && !following && t - p.startMs > LateMs) {
                    missed.push_back(p.text);
                    continue;
                }
                if (p.text.empty()) {
                    p.pcm = m_tone;
                    m_toneActive = std::make_unique<Playing>(std::move(p));
                    continue;
                }
                // A planned phrase not made by its second is a tone.
                if (!p.pcm)
                    p.pcm = rendered(p.text);
                if (!p.pcm)
                    p.pcm = m_tone;
                m_active = std::make_unique<Playing>(std::move(p));
            }
            int sample = 0;
            for (Playing* playing : {m_active.get(), m_toneActive.get()})
                if (playing && playing->pos < playing->pcm->size())
                    sample += (*playing->pcm)[playing->pos++];
            out[i] = std::int16_t(std::clamp(double(sample) * m_volume, -32768.0, 32767.0));
        }
    }
    for (const std::string& text : missed)
        tellMissed(text);
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
    if (realtimeMs() - out->m_timingAskedMs >= TimingMs)
        out->askTiming();
    // Until the server has told the stream's timing, only silence is written.
    if (out->m_timingFresh && pa_stream_get_latency(s, &latency, &negative) == 0)
        out->fill(samples, n, realtimeMs() + (negative ? 0.0 : double(latency) / 1000.0));
    else
        std::memset(samples, 0, n * sizeof(std::int16_t));
    pa_stream_write(s, data, n * sizeof(std::int16_t), nullptr, 0, PA_SEEK_RELATIVE);

    // Nothing to play for a while: the stream is corked, ready, and wakes nobody until the
    // next cue uncorks it.
    bool idle = false;
    {
        std::lock_guard lock(out->m_cueMutex);
        const bool playing =
            (out->m_active && out->m_active->pos < out->m_active->pcm->size()) ||
            (out->m_toneActive && out->m_toneActive->pos < out->m_toneActive->pcm->size());
        if (playing || !out->m_pending.empty())
            out->m_idleSinceMs = realtimeMs();
        idle = realtimeMs() - out->m_idleSinceMs > IdleMs;
    }
    if (idle && !out->m_corked) {
        out->m_corked = true;
        pa_operation_unref(pa_stream_cork(s, 1, nullptr, nullptr));
    }
}

} // namespace orvane
