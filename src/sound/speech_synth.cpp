#include "sound/speech_output.h"

#include <espeak-ng/espeak_ng.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

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
    // The library's own start ends the process when its data is missing: this one says so.
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    if (espeak_ng_Initialize(&context) != ENS_OK) {
        espeak_ng_ClearErrorContext(&context);
        setVoiceWhy("No voice: the speech data (espeak-ng-data) is not installed.");
        return;
    }
    if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) != ENS_OK ||
        espeak_ng_GetSampleRate() != Rate) {
        espeak_Terminate();
        setVoiceWhy("No voice: the voice speaks at an unexpected sample rate.");
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
        setVoiceWhy("No voice: no voice of the speech synthesizer is installed.");
        return;
    }
    // The variants are voices of a language of their own, each in a file of the folder "!v".
    std::vector<VoiceVariant> variants;
    espeak_VOICE wanted{};
    wanted.languages = "variant";
    if (const espeak_VOICE** list = espeak_ListVoices(&wanted))
        for (; *list; ++list) {
            const espeak_VOICE* v = *list;
            if (v->name && v->identifier && std::strncmp(v->identifier, "!v/", 3) == 0)
                variants.push_back({v->identifier + 3, v->name});
        }
    std::sort(variants.begin(), variants.end(),
              [](const VoiceVariant& a, const VoiceVariant& b) { return a.name < b.name; });
    {
        std::lock_guard lock(m_synthMutex);
        m_variants = std::move(variants);
        m_voices = english;
        m_voices.insert(m_voices.end(), others.begin(), others.end());
        m_voiceChanged = true;
    }
    tellChanged();

    auto make = [](const std::string& text) {
        Pcm pcm;
        g_rendering = &pcm;
        espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                     nullptr);
        espeak_Synchronize();
        g_rendering = nullptr;
        const auto voiced = std::find_if(pcm.begin(), pcm.end(),
                                         [](std::int16_t s) { return std::abs(int(s)) >= Quiet; });
        pcm.erase(pcm.begin(), voiced);
        return pcm;
    };
    std::unique_lock lock(m_synthMutex);
    for (;;) {
        m_synthWake.wait(lock, [this] {
            return m_stopping || m_voiceChanged || !m_toSay.empty() || !m_toSynth.empty();
        });
        if (m_stopping)
            break;
        if (m_voiceChanged) {
            m_voiceChanged = false;
            const std::string voice = m_voiceWanted.empty() ? m_voices.front() : m_voiceWanted;
            const VoiceStyle style = m_styleWanted;
            lock.unlock();
            const std::string variant = style.variant.empty() ? "" : "+" + style.variant;
            if (espeak_SetVoiceByName((voice + variant).c_str()) != EE_OK &&
                espeak_SetVoiceByName(voice.c_str()) != EE_OK)
                espeak_SetVoiceByName(m_voices.front().c_str());
            espeak_SetParameter(espeakRATE, style.speed, 0);
            espeak_SetParameter(espeakPITCH, style.pitch, 0);
            lock.lock();
            // Every phrase is made again in the new voice, the soonest needed first.
            m_cache.clear();
            m_toSynth.assign(m_known.begin(), m_known.end());
            continue;
        }
        // A cue asked for now goes before every phrase made ahead, and waits for its own.
        const bool saying = !m_toSay.empty();
        const Cue cue = saying ? m_toSay.front() : Cue{};
        const std::string text = saying ? cue.text : m_toSynth.front();
        if (saying)
            m_toSay.pop_front();
        else
            m_toSynth.pop_front();
        std::shared_ptr<const Pcm> made;
        if (const auto it = m_cache.find(text); it != m_cache.end())
            made = it->second;
        if (!made && !text.empty()) {
            lock.unlock();
            Pcm pcm = make(text);
            lock.lock();
            if (!pcm.empty()) {
                made = std::make_shared<const Pcm>(std::move(pcm));
                // A phrase let go of while it was being made is not kept.
                if (std::find(m_known.begin(), m_known.end(), text) != m_known.end()) {
                    m_cache[text] = made;
                    m_ready.emplace_back(text, int(std::int64_t(made->size()) * 1000 / Rate));
                    if (!std::exchange(m_readyTold, true)) {
                        std::weak_ptr<bool> alive = m_alive;
                        lock.unlock();
                        m_post([this, alive] {
                            if (alive.lock() && onReady)
                                onReady();
                        });
                        lock.lock();
                    }
                }
            }
        }
        if (!saying)
            continue;
        lock.unlock();
        {
            std::lock_guard cues(m_cueMutex);
            Playing p;
            p.text = cue.text;
            p.atMs = cue.atMs;
            p.startMs = double(cue.atMs);
            p.pcm = made ? made : m_tone;
            queue(std::move(p));
        }
        // Without a stream the watch tells the cue missed once it is late.
        tellWatch();
        lock.lock();
    }
    lock.unlock();
    espeak_Terminate();
}

} // namespace orvane
