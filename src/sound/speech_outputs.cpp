#include "sound/speech_output.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <memory>

// The outputs the sound server offers, and the one the stream plays on: the one chosen while
// it is there, else the default; the playing stream moved rather than opened anew.

namespace orvane {

// Each listing gathers its own outputs: two asked for at once do not mix theirs.
void SpeechOutput::listOutputs() {
    struct Listing {
        SpeechOutput* out;
        std::vector<SoundDevice> found;
    };
    auto* listing = new Listing{this, {}};
    pa_operation* op = pa_context_get_sink_info_list(
        m_context,
        [](pa_context*, const pa_sink_info* info, int eol, void* data) {
            auto* listing = static_cast<Listing*>(data);
            if (eol == 0) {
                if (info && info->name)
                    listing->found.push_back(
                        {info->name, info->description ? info->description : info->name});
                return;
            }
            std::unique_ptr<Listing> done(listing);
            SpeechOutput* out = listing->out;
            // Outputs that cannot be listed are taken as they were: the stream still opens.
            if (eol < 0) {
                out->m_outputsKnown = true;
                out->followOutput();
                return;
            }
            bool changed = false;
            {
                std::lock_guard lock(out->m_stateMutex);
                changed = listing->found != out->m_outputs;
                out->m_outputs = std::move(listing->found);
            }
            out->m_outputsKnown = true;
            if (changed)
                out->tellChanged();
            out->followOutput();
        },
        listing);
    if (op)
        pa_operation_unref(op);
    else
        delete listing;
}

void SpeechOutput::setOutput(const std::string& name) {
    if (!m_loop)
        return;
    pa_threaded_mainloop_lock(m_loop);
    m_outputWanted = name;
    followOutput();
    pa_threaded_mainloop_unlock(m_loop);
}

void SpeechOutput::followOutput() {
    if (!m_contextReady || !m_outputsKnown)
        return;
    std::string missing;
    bool there = false;
    bool changed = false;
    {
        std::lock_guard lock(m_stateMutex);
        there = std::any_of(m_outputs.begin(), m_outputs.end(),
                            [&](const SoundDevice& d) { return d.name == m_outputWanted; });
        if (!m_outputWanted.empty() && !there)
            missing = m_outputWanted;
        changed = missing != m_outputMissing;
        m_outputMissing = missing;
    }
    if (changed)
        tellChanged();
    const std::string target = there ? m_outputWanted : std::string();
    if (m_stream && target != m_streamOutput) {
        // A playing stream is moved, with what it holds and its place in time, so that a cue
        // due as the output changes is heard on its second; one not yet playing is opened
        // anew on the output it should play on.
        if (pa_stream_get_state(m_stream) == PA_STREAM_READY)
            moveStream(target);
        else
            closeStream();
    }
    openStream();
}

void SpeechOutput::moveStream(const std::string& target) {
    m_streamOutput = target;
    pa_operation* op = pa_context_move_sink_input_by_name(
        m_context, pa_stream_get_index(m_stream),
        target.empty() ? "@DEFAULT_SINK@" : target.c_str(),
        [](pa_context*, int success, void* self) {
            auto* out = static_cast<SpeechOutput*>(self);
            if (!out->m_stream)
                return;
            if (success) {
                out->askTiming();
                return;
            }
            // The server would not move it (the output went meanwhile): it is opened anew.
            out->closeStream();
            out->tellWatch();
        },
        this);
    if (op)
        pa_operation_unref(op);
    else
        closeStream();
}

// The server moved the stream itself (the output it played on went, and it plays on the
// default now) or as asked: the stream is on the output it names, and its timing is asked
// anew, since the new output's delay is not the old one's.
void SpeechOutput::onStreamMoved(pa_stream* s, void* self) {
    auto* out = static_cast<SpeechOutput*>(self);
    const char* device = pa_stream_get_device_name(s);
    const std::string now = device ? device : "";
    out->m_streamOutput = !now.empty() && now == out->m_outputWanted ? now : std::string();
    out->askTiming();
    // The outputs listed after the change say whether it must move again.
}

void SpeechOutput::askTiming() {
    if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    m_timingAskedMs = realtimeMs();
    if (pa_operation* op = pa_stream_update_timing_info(m_stream, nullptr, nullptr))
        pa_operation_unref(op);
}

} // namespace orvane
