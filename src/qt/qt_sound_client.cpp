#include "qt/qt_sound_client.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string_view>

namespace orvane {

namespace {

const QString HelperName = QStringLiteral("orvane-sound");
// A sound process that answered this long earns its restarts back: the next that ends is
// started again at once.
constexpr auto LongRun = std::chrono::seconds(10);

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

QString SoundClient::findHelper(const QString& executableDir) {
    const QDir dir(executableDir);
    for (const QString& path :
         {dir.filePath(HelperName),
          dir.filePath(QStringLiteral(ORVANE_SOUND_FROM_BIN "/") + HelperName)}) {
        const QFileInfo file(path);
        if (file.isFile() && file.isExecutable())
            return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

SoundClient::SoundClient(QString helper, Post post, std::vector<std::chrono::milliseconds> restarts)
    : m_helper(std::move(helper)), m_post(std::move(post)), m_restarts(std::move(restarts)),
      m_process(std::make_unique<QProcess>()), m_restartTimer(new QTimer(&m_context)) {
    m_restartTimer->setSingleShot(true);
    QObject::connect(m_restartTimer, &QTimer::timeout, &m_context, [this] { start(); });
    // What the sound process has to say on its standard error goes to the program's.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Should the program be killed, the sound process goes too.
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    QObject::connect(m_process.get(), &QProcess::readyReadStandardOutput, &m_context,
                     [this] { readAnswers(); });
    QObject::connect(m_process.get(), &QProcess::errorOccurred, &m_context,
                     [this](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             setWhy("No sound: the sound process " + m_helper.toStdString() +
                                    " could not start (" + m_process->errorString().toStdString() +
                                    ").");
                     });
    QObject::connect(m_process.get(), &QProcess::finished, &m_context, [this] {
        ended("No sound: the sound process orvane-sound ended unexpectedly");
    });
    start();
}

SoundClient::~SoundClient() {
    m_restartTimer->stop();
    QObject::disconnect(m_process.get(), nullptr, &m_context, nullptr);
    if (m_process->state() != QProcess::NotRunning) {
        // A closed pipe ends the sound process; one that does not end soon is killed.
        m_process->closeWriteChannel();
        if (!m_process->waitForFinished(500)) {
            m_process->kill();
            m_process->waitForFinished(500);
        }
    }
    m_alive.reset();
}

qint64 SoundClient::helperPid() const {
    return m_process->state() == QProcess::Running ? m_process->processId() : 0;
}

void SoundClient::start() {
    if (m_helper.isEmpty()) {
        setWhy("No sound: the sound process orvane-sound is not installed beside the program.");
        return;
    }
    m_reader = {};
    m_answered = false;
    m_hung = false;
    m_started = steadyNow();
    // A process just started has longer for its first answer: it loads the voice meanwhile.
    m_waiting = m_started + Starting - Silent;
    m_process->start(m_helper, {});
    // A process started anew hears all that the program asked for; a cue whose moment has
    // passed is not said late.
    if (m_voice)
        send({SoundMessage::Kind::Voice, {*m_voice}, {}, 0, {}});
    if (m_volume)
        send({SoundMessage::Kind::Volume, {}, {}, *m_volume, {}});
    if (m_style)
        send({SoundMessage::Kind::Style,
              {m_style->variant},
              {},
              0,
              {m_style->speed, m_style->pitch}});
    if (m_output)
        send({SoundMessage::Kind::Output, {*m_output}, {}, 0, {}});
    if (!m_phrases.empty())
        send({SoundMessage::Kind::Prepare, m_phrases, {}, 0, {}});
    std::vector<Cue> due = m_plan;
    std::erase_if(due, [now = nowMs()](const Cue& c) { return c.atMs <= now; });
    if (!due.empty())
        send({SoundMessage::Kind::Plan, {}, due, 0, {}});
}

void SoundClient::beat() {
    if (m_process->state() != QProcess::Running || m_hung)
        return;
    const auto now = steadyNow();
    // Silence counts only from a question: the program's own rounds may come late (a hold
    // moves them), and a process that was not asked owes no answer.
    if (stopped() || (m_waiting && now - *m_waiting > Silent)) {
        hung();
        return;
    }
    const bool cueAhead = std::any_of(m_plan.begin(), m_plan.end(),
                                      [at = nowMs()](const Cue& c) { return c.atMs > at; });
    if (!m_waiting && now - m_lastAsked >= (cueAhead ? BusyHeartbeat : Heartbeat)) {
        m_lastAsked = now;
        m_waiting = now;
        send({SoundMessage::Kind::Ping, {std::to_string(++m_beats)}, {}, 0, {}});
    }
}

// A process stopped by a signal answers nothing: the kernel tells its parent so at once. It
// is asked at every round, without taking the stop (or the process's end, which is QProcess's
// to collect) from anyone who waits for it. One held by a debugger is found by its silence.
bool SoundClient::stopped() const {
    const qint64 pid = m_process->processId();
    if (pid <= 0)
        return false;
    siginfo_t info{};
    if (::waitid(P_PID, id_t(pid), &info, WSTOPPED | WNOHANG | WNOWAIT | __WALL) != 0)
        return false;
    return info.si_pid == pid_t(pid) && info.si_code == CLD_STOPPED;
}

// Killed, the process ends, and ended() says so and starts it again.
void SoundClient::hung() {
    m_hung = true;
    m_process->kill();
}

void SoundClient::send(const SoundMessage& message) {
    if (m_process->state() == QProcess::NotRunning || m_hung)
        return;
    const std::string line = soundLine(message);
    m_process->write(line.data(), qint64(line.size()));
    if (m_process->bytesToWrite() > MaxUnread)
        hung();
}

void SoundClient::readAnswers() {
    const QByteArray bytes = m_process->readAllStandardOutput();
    std::optional<std::string> why;
    std::optional<std::vector<std::string>> voices;
    std::optional<std::vector<VoiceVariant>> variants;
    std::optional<std::vector<SoundDevice>> outputs;
    std::optional<std::string> missing;
    bool ready = false;
    std::vector<std::string> missed;
    bool alive = false;
    m_reader.feed({bytes.constData(), std::size_t(bytes.size())}, [&](std::string_view line) {
        const std::optional<SoundMessage> m = parseSoundLine(line);
        if (!m)
            return;
        alive = true;
        if (m->kind == SoundMessage::Kind::Unavailable)
            why = m->texts.front();
        else if (m->kind == SoundMessage::Kind::Voices)
            voices = m->texts;
        else if (m->kind == SoundMessage::Kind::Missed)
            missed.push_back(m->texts.front());
        else if (m->kind == SoundMessage::Kind::Fallback)
            missing = m->texts.front();
        else if (m->kind == SoundMessage::Kind::Variants ||
                 m->kind == SoundMessage::Kind::Outputs) {
            std::vector<SoundDevice> pairs;
            for (std::size_t i = 0; i + 1 < m->texts.size(); i += 2)
                pairs.push_back({m->texts[i], m->texts[i + 1]});
            if (m->kind == SoundMessage::Kind::Outputs) {
                outputs = std::move(pairs);
            } else {
                variants.emplace();
                for (SoundDevice& p : pairs)
                    variants->push_back({std::move(p.name), std::move(p.description)});
            }
        } else if (m->kind == SoundMessage::Kind::Ready) {
            for (std::size_t i = 0; i < m->texts.size(); ++i)
                // Only the phrases the program keeps: a length told late for one let go of is
                // not kept for ever.
                if (std::find(m_phrases.begin(), m_phrases.end(), m->texts[i]) != m_phrases.end()) {
                    m_spoken[m->texts[i]] = m->numbers[i];
                    ready = true;
                }
        }
    });
    if (alive) {
        m_waiting.reset();
        m_lastAnswer = steadyNow();
        if (m_lastAnswer - m_started >= LongRun)
            m_restarted = 0;
    }
    for (const std::string& text : missed)
        tellMissed(text);
    // Until the sound process first answers, the program keeps saying why it had none.
    if (!m_answered && (why || voices)) {
        m_answered = true;
        if (!why)
            why = std::string();
    }
    if (ready)
        tellReady();
    bool changed = false;
    if (variants && *variants != m_variants) {
        m_variants = std::move(*variants);
        changed = true;
    }
    if (outputs && *outputs != m_outputs) {
        m_outputs = std::move(*outputs);
        changed = true;
    }
    if (missing && *missing != m_outputMissing) {
        m_outputMissing = std::move(*missing);
        changed = true;
    }
    if (voices && *voices != m_voices) {
        m_voices = std::move(*voices);
        changed = true;
    }
    if (why && *why != m_why) {
        m_why = std::move(*why);
        changed = true;
    }
    if (changed)
        tellChanged();
}

void SoundClient::ended(const std::string& why) {
    if (m_restarts.empty()) {
        setWhy(why + ".");
        return;
    }
    const std::string what =
        m_hung ? "No sound: the sound process orvane-sound stopped answering" : why;
    // Each restart waits longer, up to the last wait, and never gives up: a final count is
    // never left silent when a start would succeed.
    setWhy(what + "; it is started again.");
    m_restartTimer->start(m_restarts[std::min(m_restarted, m_restarts.size() - 1)]);
    ++m_restarted;
}

void SoundClient::setWhy(std::string why) {
    if (why == m_why)
        return;
    m_why = std::move(why);
    tellChanged();
}

void SoundClient::tellMissed(const std::string& text) {
    std::weak_ptr<bool> alive = m_alive;
    m_post([this, alive, text] {
        if (alive.lock() && onMissed)
            onMissed(text);
    });
}

void SoundClient::tellReady() {
    std::weak_ptr<bool> alive = m_alive;
    m_post([this, alive] {
        if (alive.lock() && onReady)
            onReady();
    });
}

void SoundClient::tellChanged() {
    std::weak_ptr<bool> alive = m_alive;
    m_post([this, alive] {
        if (alive.lock() && onAvailabilityChanged)
            onAvailabilityChanged();
    });
}

void SoundClient::setVoice(const std::string& voice) {
    if (m_voice && *m_voice != voice)
        m_spoken.clear();
    m_voice = voice;
    send({SoundMessage::Kind::Voice, {voice}, {}, 0, {}});
}

void SoundClient::setStyle(const VoiceStyle& style) {
    VoiceStyle s = style;
    s.speed = std::clamp(s.speed, VoiceStyle::MinSpeed, VoiceStyle::MaxSpeed);
    s.pitch = std::clamp(s.pitch, 0, VoiceStyle::MaxPitch);
    if (m_style == s)
        return;
    m_style = s;
    // Every phrase is made again in the new style: the lengths known are of the old one.
    m_spoken.clear();
    send({SoundMessage::Kind::Style, {s.variant}, {}, 0, {s.speed, s.pitch}});
}

void SoundClient::setOutput(const std::string& name) {
    if (m_output == name)
        return;
    m_output = name;
    send({SoundMessage::Kind::Output, {name}, {}, 0, {}});
}

std::optional<int> SoundClient::spokenMs(const std::string& phrase) const {
    const auto it = m_spoken.find(phrase);
    if (it == m_spoken.end())
        return std::nullopt;
    return it->second;
}

void SoundClient::setVolume(int percent) {
    m_volume = std::clamp(percent, 0, 100);
    send({SoundMessage::Kind::Volume, {}, {}, *m_volume, {}});
}

// Phrases asked for again become the newest, here and in the sound process, so the ones let go
// of when there are too many are those not asked for longest.
void SoundClient::prepare(const std::vector<std::string>& phrases) {
    std::vector<std::string> asked;
    for (const std::string& p : phrases) {
        if (p.empty() || std::find(asked.begin(), asked.end(), p) != asked.end())
            continue;
        asked.push_back(p);
        std::erase(m_phrases, p);
        m_phrases.push_back(p);
    }
    if (m_phrases.size() > MaxPhrases) {
        for (auto p = m_phrases.begin(); p != m_phrases.end() - long(MaxPhrases); ++p)
            m_spoken.erase(*p);
        m_phrases.erase(m_phrases.begin(), m_phrases.end() - long(MaxPhrases));
    }
    if (!asked.empty())
        send({SoundMessage::Kind::Prepare, asked, {}, 0, {}});
}

void SoundClient::plan(const std::vector<Cue>& cues) {
    m_plan = cues;
    send({SoundMessage::Kind::Plan, {}, cues, 0, {}});
}

void SoundClient::sound(const Cue& cue) {
    if (m_process->state() == QProcess::NotRunning || m_hung) {
        tellMissed(cue.text);
        return;
    }
    send({SoundMessage::Kind::Sound, {}, {cue}, 0, {}});
}

} // namespace orvane
