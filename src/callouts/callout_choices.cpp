// The callouts' choices, kept in the settings, and what each family says.

#include "callouts/callouts.h"

#include "app.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

namespace orvane {

namespace {

constexpr std::array<const char*, 10> Numbers{"one", "two",   "three", "four", "five",
                                              "six", "seven", "eight", "nine", "T minus ten"};

bool flag(Settings& s, const std::string& app, const char* key, bool fallback) {
    return s.get(app, Callouts::Section, key, fallback ? "1" : "0") != "0";
}

} // namespace

bool* calloutFamily(CalloutChoices& c, std::string_view name) {
    const std::pair<std::string_view, bool*> families[] = {
        {"final", &c.finalCount}, {"minutes", &c.minutes},
        {"seconds", &c.seconds},  {"holds", &c.holds},
        {"built-in-holds", &c.builtInHolds}, {"events", &c.events},
        {"window", &c.window},    {"commands", &c.commands}};
    for (const auto& [n, on] : families)
        if (n == name)
            return on;
    return nullptr;
}

std::optional<std::string> Callouts::countCue(std::int64_t s, const CalloutChoices& c) {
    if (c.minutes) {
        switch (s) {
        case 600:
            return "T minus ten minutes";
        case 300:
            return "T minus five minutes";
        case 60:
            return "T minus one minute";
        default:
            break;
        }
    }
    if (c.seconds) {
        switch (s) {
        case 30:
            return "T minus thirty seconds";
        case 20:
            return "T minus twenty seconds";
        case 15:
            return "T minus fifteen seconds";
        default:
            break;
        }
    }
    if (c.finalCount && s >= 1 && s <= 10)
        return std::string(Numbers[std::size_t(s - 1)]);
    if (c.finalCount && s == 0)
        return "liftoff";
    return std::nullopt;
}

std::string Callouts::resumePhrase(const ShownCount& count) {
    const std::int64_t left = count.secondsToLaunch();
    const std::int64_t size = left < 0 ? -left : left;
    return std::string("resuming count, ") + (left < 0 ? "T plus " : "T minus ") +
           std::to_string(size / 60) + " minutes " + std::to_string(size % 60) + " seconds";
}

std::string Callouts::byDevice(const std::string& phrase, const std::string& device) {
    return phrase + ", by " + device;
}

std::optional<std::string> Callouts::commandPhrase(const std::string& command) {
    if (command == "hold-enable")
        return "holds enabled";
    if (command == "hold-disable")
        return "holds disabled";
    if (command == "unmute")
        return "callouts on";
    return std::nullopt;
}

void Callouts::load() {
    Settings& s = m_app.services().settings;
    const std::string& app = m_app.info().exeName;
    CalloutChoices c;
    c.sound = flag(s, app, "Sound", c.sound);
    const std::string volume = s.get(app, Section, "Volume", std::to_string(c.volume));
    c.volume = std::clamp(std::atoi(volume.c_str()), 0, 100);
    c.voice = s.get(app, Section, "Voice", "");
    c.minutes = flag(s, app, "Minutes", c.minutes);
    // Families kept before they were split carry over: the minute marks covered thirty
    // seconds, and holds covered the built-in holds and the holds a device commanded.
    c.seconds = flag(s, app, "Seconds", c.minutes);
    c.finalCount = flag(s, app, "Final Count", c.finalCount);
    loadVoice(c);
    c.holds = flag(s, app, "Holds", c.holds);
    c.builtInHolds = flag(s, app, "Built-in Holds", c.holds);
    c.commands = flag(s, app, "Commands", c.holds);
    c.events = flag(s, app, "Events", c.events);
    c.window = flag(s, app, "Launch Window", c.window);
    m_choices = c;
    loadEntries();
    if (m_output) {
        m_output->setVolume(c.volume);
        m_output->setVoice(c.voice);
        m_output->setStyle(c.style);
        m_output->setOutput(c.output);
    }
}

void Callouts::save() const {
    Settings& s = m_app.services().settings;
    const std::string& app = m_app.info().exeName;
    const CalloutChoices& c = m_choices;
    auto put = [&](const char* key, bool on) { s.save(app, Section, key, on ? "1" : "0"); };
    put("Sound", c.sound);
    s.save(app, Section, "Volume", std::to_string(c.volume));
    s.save(app, Section, "Voice", c.voice);
    put("Minutes", c.minutes);
    put("Seconds", c.seconds);
    put("Final Count", c.finalCount);
    saveVoice();
    put("Holds", c.holds);
    put("Built-in Holds", c.builtInHolds);
    put("Commands", c.commands);
    put("Events", c.events);
    put("Launch Window", c.window);
}

void Callouts::setChoices(const CalloutChoices& choices) {
    if (choices == m_choices)
        return;
    const bool voiceChanged = choices.voice != m_choices.voice;
    m_choices = choices;
    m_choices.volume = std::clamp(m_choices.volume, 0, 100);
    m_choices.style.speed =
        std::clamp(m_choices.style.speed, VoiceStyle::MinSpeed, VoiceStyle::MaxSpeed);
    m_choices.style.pitch = std::clamp(m_choices.style.pitch, 0, VoiceStyle::MaxPitch);
    save();
    if (m_output) {
        m_output->setVolume(m_choices.volume);
        if (voiceChanged)
            m_output->setVoice(m_choices.voice);
        m_output->setStyle(m_choices.style);
        m_output->setOutput(m_choices.output);
    }
    prepareAll();
    showState();
    if (m_seen)
        planAhead(m_seen->second);
}

void Callouts::toggleMute() {
    CalloutChoices c = m_choices;
    c.sound = !c.sound;
    setChoices(c);
}

} // namespace orvane
