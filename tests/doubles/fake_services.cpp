#include "doubles/fake_services.h"

#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/quoting.h"

#include <algorithm>

namespace orvane {

namespace {

bool answerFits(Answer a, Buttons b) {
    switch (b) {
    case Buttons::OK:
        return a == Answer::OK;
    case Buttons::OKCancel:
        return a == Answer::OK || a == Answer::Cancel;
    case Buttons::YesNo:
        return a == Answer::Yes || a == Answer::No;
    case Buttons::YesNoCancel:
        return a == Answer::Yes || a == Answer::No || a == Answer::Cancel;
    }
    return false;
}

} // namespace

void ScriptedDialogs::fail(std::string why) {
    if (!m_failure)
        m_failure = std::move(why);
}

Answer ScriptedDialogs::messageBox(const std::string& text, Buttons buttons, Icon icon,
                                   const std::string& title) {
    std::string line = "message title=" + quoteText(title) + " icon=" + iconName(icon) +
                       " buttons=" + buttonsName(buttons) + " text=" + quoteText(text) + " -> ";
    Answer answer = closedAnswer(buttons);
    if (m_answers.empty()) {
        line += "(no answer)";
        fail("a message box had no answer waiting: " + quoteText(text));
    } else {
        answer = m_answers.front();
        m_answers.pop_front();
        if (!answerFits(answer, buttons)) {
            fail(std::string("the answer ") + answerName(answer) + " is not a button of " +
                 quoteText(text));
            answer = closedAnswer(buttons);
        }
        line += answerName(answer);
    }
    m_shown.push_back({text, title, icon, buttons, answer});
    if (transcript)
        transcript(line);
    return answer;
}

std::optional<std::string> ScriptedDialogs::fileDialog(const char* kind,
                                                       const FileDialogRequest& request) {
    std::string line = std::string(kind) + " title=" + quoteText(request.title) + " -> ";
    std::optional<std::string> result;
    if (m_files.empty()) {
        line += "(no answer)";
        fail(std::string("the ") + kind + " had no file name or cancel waiting");
    } else {
        result = m_files.front();
        m_files.pop_front();
        line += result ? quoteText(*result) : "cancelled";
    }
    if (transcript)
        transcript(line);
    return result;
}

std::optional<std::string> ScriptedDialogs::openFile(const FileDialogRequest& request) {
    return fileDialog("open-dialog", request);
}

std::optional<std::string> ScriptedDialogs::saveFile(const FileDialogRequest& request) {
    return fileDialog("save-dialog", request);
}

void ScriptedDialogs::popupMenu(MenuItem& menu) {
    if (transcript)
        transcript("popup " + menu.form().name() + "." + menu.displayName());
}

std::string MemorySettings::get(const std::string&, const std::string& section,
                                const std::string& key, const std::string& fallback) {
    auto it = m_values.find(section + "\n" + key);
    return it == m_values.end() ? fallback : it->second;
}

void MemorySettings::save(const std::string&, const std::string& section, const std::string& key,
                          const std::string& value) {
    m_values[section + "\n" + key] = value;
}

std::optional<std::string> MemorySettings::stored(const std::string& section,
                                                  const std::string& key) const {
    auto it = m_values.find(section + "\n" + key);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

void FakeHelp::showTopic(const std::string& file, const std::string& topic) {
    if (transcript)
        transcript("help file=" + quoteText(file) + " topic=" + quoteText(topic));
}

void FakeHelp::closeAll(const std::string&) {
    if (transcript)
        transcript("help close-all");
}

void FakeProcess::endProgram() {
    if (ended)
        return;
    ended = true;
    if (transcript)
        transcript("end-program");
}

void FakeProcess::startProgram(const std::string& path) {
    if (transcript)
        transcript("run-program " + quoteText(path));
}

double FakeProcess::random() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
}

void FakeSound::prepare(const std::vector<std::string>& phrases) {
    bool made = false;
    for (const std::string& p : phrases)
        if (std::find(prepared.begin(), prepared.end(), p) == prepared.end()) {
            prepared.push_back(p);
            made = true;
        }
    // The real output tells of it later, from its own thread; here at once.
    if (made && onReady)
        onReady();
}

std::optional<int> FakeSound::spokenMs(const std::string& phrase) const {
    if (std::find(prepared.begin(), prepared.end(), phrase) == prepared.end())
        return std::nullopt;
    const auto length = lengths.find(phrase);
    return length != lengths.end() ? length->second : int(phrase.size()) * 80;
}

void FakeSound::sound(const Cue& cue) {
    if (transcript)
        transcript(cue.tone() ? std::string("callout tone") : "callout " + quoteText(cue.text));
}

void FakeSound::setUnavailable(std::string why) {
    if (why == whyNot)
        return;
    whyNot = std::move(why);
    if (onAvailabilityChanged)
        onAvailabilityChanged();
}

void FakeSound::setOutputMissing(std::string name) {
    missing = std::move(name);
    if (onAvailabilityChanged)
        onAvailabilityChanged();
}

void FakeClockHealth::set(const ClockHealth& health) {
    if (health == m_health)
        return;
    m_health = health;
    m_scheduler.deliver([this] {
        if (m_listener)
            m_listener(m_health);
    });
}

FakeWorld::FakeWorld(AppInfo info)
    : services{clock,   scheduler, dialogs,         settings, help,
               process, files,     std::move(info), &sound,   &clockHealth} {
    TranscriptSink sink = [this](const std::string& line) {
        transcript.push_back(line);
        if (echo)
            echo(line);
    };
    clock.transcript = sink;
    dialogs.transcript = sink;
    help.transcript = sink;
    process.transcript = sink;
    sound.transcript = sink;
}

} // namespace orvane
