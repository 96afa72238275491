#include "sound/speech_output.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace orvane {

namespace {

constexpr int Rate = 22050;
// Samples quieter than this before the voice starts are cut, so the first sound is the voice.
constexpr int Quiet = 300;

thread_local SpeechOutput::Pcm* g_rendering = nullptr;

int collectSamples(short* wav, int n, espeak_EVENT*) {
    if (wav && n > 0 && g_rendering)
        g_rendering->insert(g_rendering->end(), wav, wav + n);
    return 0;
}

} // namespace

SpeechOutput::Pcm SpeechOutput::makeTone(int rate) {
    // 880 Hz for 150 ms, faded in and out over 5 ms so that it clicks neither way.
    const int n = rate * 150 / 1000, fade = rate * 5 / 1000;
    Pcm pcm(std::size_t(n), 0);
    for (int i = 0; i < n; ++i) {
        const double envelope = std::min({1.0, double(i) / fade, double(n - 1 - i) / fade});
        pcm[std::size_t(i)] = std::int16_t(12000 * envelope * std::sin(2 * M_PI * 880 * i / rate));
    }
    return pcm;
}

// The voice's library keeps global state: every call to it is made on this one thread.
void SpeechOutput::synthLoop() {
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, 0);
    if (rate != Rate) {
        setUnavailable(rate <= 0 ? "No voice: the speech data (espeak-ng-data) is not installed."
                                 : "No voice: the voice speaks at an unexpected sample rate.");
        return;
    }
    espeak_SetSynthCallback(collectSamples);
    std::vector<std::string> english, others;
    if (const espeak_VOICE** list = espeak_ListVoices(nullptr))
        for (; *list; ++list) {
            const espeak_VOICE* v = *list;
            if (!v->name)
                continue;
            const bool en = v->languages && std::strncmp(v->languages + 1, "en", 2) == 0;
            // British English leads, as the voice's own default does.
            if (v->identifier && std::strcmp(v->identifier, "gmw/en") == 0)
                english.insert(english.begin(), v->name);
            else
                (en ? english : others).push_back(v->name);
        }
    if (english.empty() && others.empty()) {
        espeak_Terminate();
        setUnavailable("No voice: no voice of the speech synthesizer is installed.");
        return;
    }
    {
        std::lock_guard lock(m_synthMutex);
        m_voices = english;
        m_voices.insert(m_voices.end(), others.begin(), others.end());
        m_voiceChanged = true;
    }
    tellChanged();

    std::unique_lock lock(m_synthMutex);
    for (;;) {
        m_synthWake.wait(lock,
                         [this] { return m_stopping || m_voiceChanged || !m_toSynth.empty(); });
        if (m_stopping)
            break;
        if (m_voiceChanged) {
            m_voiceChanged = false;
            const std::string wanted = m_voiceWanted.empty() ? m_voices.front() : m_voiceWanted;
            lock.unlock();
            if (espeak_SetVoiceByName(wanted.c_str()) != EE_OK)
                espeak_SetVoiceByName(m_voices.front().c_str());
            lock.lock();
            // Every phrase is made again in the new voice, the soonest needed first.
            m_cache.clear();
            m_toSynth.assign(m_known.begin(), m_known.end());
            continue;
        }
        const std::string text = m_toSynth.front();
        m_toSynth.pop_front();
        if (m_cache.contains(text))
            continue;
        lock.unlock();
        // With no sound server (or none any more) nothing can be heard: a phrase made now would
        // cost a hold tens of milliseconds of work for no one.
        if (!unavailable().empty()) {
            lock.lock();
            continue;
        }
        Pcm pcm;
        g_rendering = &pcm;
        espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                     nullptr);
        espeak_Synchronize();
        g_rendering = nullptr;
        const auto voiced = std::find_if(pcm.begin(), pcm.end(),
                                         [](std::int16_t s) { return std::abs(int(s)) >= Quiet; });
        pcm.erase(pcm.begin(), voiced);
        lock.lock();
        if (!pcm.empty())
            m_cache[text] = std::make_shared<const Pcm>(std::move(pcm));
    }
    lock.unlock();
    espeak_Terminate();
}

} // namespace orvane
