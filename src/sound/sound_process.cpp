// orvane-sound: the program's sound, in a process of its own. The program starts it with a
// pipe on each side (sound_protocol.h says what crosses them): it speaks and plays what the
// program asks for, and tells the program what it can hear. The voice and the sound server's
// client library, with everything they load, live only here, so a crash or a hang in them
// never stops the count. It ends when the program closes its pipe, or ends.

#include "sound/sound_protocol.h"
#include "sound/speech_output.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace {

using orvane::SoundMessage;

void writeAll(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        // The program is gone: so is its sound.
        if (n <= 0)
            _exit(0);
        done += std::size_t(n);
    }
}

// Tasks the output's threads ask to run on this one, waking its poll through a pipe.
class Posted {
  public:
    Posted() {
        if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            m_pipe[0] = m_pipe[1] = -1;
    }
    int fd() const { return m_pipe[0]; }
    void post(std::function<void()> task) {
        {
            std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_pipe[1], &byte, 1);
    }
    void runAll() {
        char drain[64];
        while (::read(m_pipe[0], drain, sizeof drain) > 0) {
        }
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(m_mutex);
            tasks.swap(m_tasks);
        }
        for (const auto& task : tasks)
            task();
    }

  private:
    int m_pipe[2];
    std::mutex m_mutex;
    std::vector<std::function<void()>> m_tasks;
};

void obey(orvane::SpeechOutput& out, const SoundMessage& m) {
    using K = SoundMessage::Kind;
    switch (m.kind) {
    case K::Voice:
        out.setVoice(m.texts.front());
        break;
    case K::Volume:
        out.setVolume(m.volume);
        break;
    case K::Prepare:
        out.prepare(m.texts);
        break;
    case K::Plan:
        out.plan(m.cues);
        break;
    case K::Sound:
        out.sound(m.cues.front());
        break;
    case K::Style:
        out.setStyle({m.texts.front(), m.numbers[0], m.numbers[1]});
        break;
    case K::Output:
        out.setOutput(m.texts.front());
        break;
    case K::Ping:
        // Answered from this thread: a process stopped or stuck here answers nothing.
        writeAll(orvane::soundLine({K::Pong, m.texts, {}, 0, {}}));
        break;
    case K::Unavailable:
    case K::Voices:
    case K::Pong:
    case K::Missed:
    case K::Variants:
    case K::Outputs:
    case K::Fallback:
    case K::Ready:
        break; // the program's words, not ours
    }
}

} // namespace

int main() {
    // The program may end without closing the pipe (killed): this process goes with it.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    std::signal(SIGPIPE, SIG_IGN);

    Posted posted;
    orvane::SpeechOutput out(
        [&posted](std::function<void()> task) { posted.post(std::move(task)); });
    std::optional<std::string> toldWhy;
    std::optional<std::vector<std::string>> toldVoices;
    std::optional<std::vector<orvane::VoiceVariant>> toldVariants;
    std::optional<std::vector<orvane::SoundDevice>> toldOutputs;
    std::optional<std::string> toldMissing;
    out.onAvailabilityChanged = [&] {
        const std::string why = out.unavailable();
        if (why != toldWhy)
            writeAll(orvane::soundLine({SoundMessage::Kind::Unavailable, {why}, {}, 0, {}}));
        toldWhy = why;
        const std::vector<std::string> voices = out.voices();
        if (voices != toldVoices)
            writeAll(orvane::soundLine({SoundMessage::Kind::Voices, voices, {}, 0, {}}));
        toldVoices = voices;
        const std::vector<orvane::VoiceVariant> variants = out.variants();
        if (variants != toldVariants) {
            SoundMessage m{SoundMessage::Kind::Variants, {}, {}, 0, {}};
            for (const orvane::VoiceVariant& v : variants) {
                m.texts.push_back(v.file);
                m.texts.push_back(v.name);
            }
            writeAll(orvane::soundLine(m));
        }
        toldVariants = variants;
        const std::vector<orvane::SoundDevice> outputs = out.outputs();
        if (outputs != toldOutputs) {
            SoundMessage m{SoundMessage::Kind::Outputs, {}, {}, 0, {}};
            for (const orvane::SoundDevice& d : outputs) {
                m.texts.push_back(d.name);
                m.texts.push_back(d.description);
            }
            writeAll(orvane::soundLine(m));
        }
        toldOutputs = outputs;
        const std::string missing = out.outputMissing();
        if (missing != toldMissing)
            writeAll(orvane::soundLine({SoundMessage::Kind::Fallback, {missing}, {}, 0, {}}));
        toldMissing = missing;
    };

    out.onReady = [&out] {
        SoundMessage m{SoundMessage::Kind::Ready, {}, {}, 0, {}};
        for (auto& [text, ms] : out.takeReady()) {
            m.texts.push_back(std::move(text));
            m.numbers.push_back(ms);
        }
        if (!m.texts.empty())
            writeAll(orvane::soundLine(m));
    };

    out.onMissed = [](const std::string& text) {
        writeAll(orvane::soundLine({SoundMessage::Kind::Missed, {text}, {}, 0, {}}));
    };

    orvane::SoundLineReader reader;
    std::size_t ignored = 0;
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {posted.fd(), POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents & POLLIN)
            posted.runAll();
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char chunk[4096];
            const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            reader.feed({chunk, std::size_t(n)}, [&](std::string_view line) {
                if (const auto m = orvane::parseSoundLine(line))
                    obey(out, *m);
                else if (++ignored <= 3)
                    std::fprintf(stderr, "orvane-sound: ignored a line it cannot read\n");
            });
        }
    }
    // The program closed its pipe. Should the sound server not let go, the process still ends.
    ::alarm(5);
    return 0;
}
