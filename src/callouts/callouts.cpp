#include "callouts/callouts.h"
#include "callouts/plan_phrases.h"

#include "app.h"
#include "callouts/frmCallouts.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"

#include <algorithm>
#include <array>

namespace orvane {

namespace {

// How far ahead the output hears of the cues to come: enough to have each written before its
// second, short enough that a hold or a new launch time rarely has to take one back.
constexpr int PlanSeconds = 3;

constexpr std::array<const char*, 10> Numbers{"one", "two",   "three", "four", "five",
                                              "six", "seven", "eight", "nine", "T minus ten"};

bool flag(Settings& s, const std::string& app, const char* key, bool fallback) {
    return s.get(app, Callouts::Section, key, fallback ? "1" : "0") != "0";
}

} // namespace

Callouts::Callouts(App& app, SoundOutput* output) : m_app(app), m_output(output) {
    load();
    m_happenings = app.happenings().subscribe([this](const Happening& h) { heard(h); });
    m_rounds = app.happenings().subscribeRounds([this] { round(); });
    if (m_output) {
        m_output->onAvailabilityChanged = [this] { showState(); };
        m_output->onMissed = [this](const std::string& text) { missed(text); };
    }
}

Callouts::~Callouts() {
    if (m_output) {
        m_output->onAvailabilityChanged = nullptr;
        m_output->onMissed = nullptr;
    }
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
        case 30:
            return "T minus thirty seconds";
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

void Callouts::load() {
    Settings& s = m_app.services().settings;
    const std::string& app = m_app.info().exeName;
    CalloutChoices c;
    c.sound = flag(s, app, "Sound", c.sound);
    const std::string volume = s.get(app, Section, "Volume", std::to_string(c.volume));
    c.volume = std::clamp(std::atoi(volume.c_str()), 0, 100);
    c.voice = s.get(app, Section, "Voice", "");
    c.minutes = flag(s, app, "Minutes", c.minutes);
    c.finalCount = flag(s, app, "Final Count", c.finalCount);
    loadVoice(c);
    c.holds = flag(s, app, "Holds", c.holds);
    c.events = flag(s, app, "Events", c.events);
    c.window = flag(s, app, "Launch Window", c.window);
    m_choices = c;
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
    put("Final Count", c.finalCount);
    saveVoice();
    put("Holds", c.holds);
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

SoundState Callouts::state() const {
    if (!m_output || !m_output->unavailable().empty())
        return SoundState::NoSound;
    return m_choices.sound ? SoundState::On : SoundState::Muted;
}

const char* Callouts::stateText(SoundState state) {
    switch (state) {
    case SoundState::On:
        return "Sound";
    case SoundState::Muted:
        return "Muted";
    case SoundState::NoSound:
        return "No sound";
    }
    return "";
}

std::string Callouts::whyNoSound() const {
    if (!m_output)
        return "No sound: this copy of Orvane has no sound output.";
    return m_output->unavailable();
}

std::vector<std::string> Callouts::voices() const {
    return m_output ? m_output->voices() : std::vector<std::string>{};
}

std::optional<std::string> Callouts::firstStartNote() {
    Settings& s = m_app.services().settings;
    const std::string& app = m_app.info().exeName;
    if (s.get(app, Section, "Introduced", "0") == "1")
        return std::nullopt;
    s.save(app, Section, "Introduced", "1");
    return std::string("Callouts are spoken aloud: ") + MuteShortcut +
           " or Settings, Mute Callouts, mutes them.";
}

bool Callouts::speaking() const {
    return state() == SoundState::On;
}

// The moment the program's clock turns to AT, on the computer's clock that the sound follows.
std::int64_t Callouts::trueMs(Instant at) const {
    return at.unixSeconds() * 1000 - m_app.ownClock().offset().value_or(0);
}

// A cue of the count or of an event belongs to its second, which names it; any other belongs to
// the millisecond it is asked for, so that a hold cuts short the resume said just before it.
void Callouts::say(const std::string& text, std::optional<Instant> second) {
    if (speaking())
        m_output->sound({text, second ? trueMs(*second) : m_app.ownClock().computer().unixMs()});
    else if (m_choices.sound)
        missed(text);
}

void Callouts::missed(const std::string& text) {
    ++m_missed;
    m_lastMissed = text.empty() ? "a tone" : "\"" + text + "\"";
    showState();
}

std::string Callouts::missedNote() const {
    if (m_missed == 0)
        return {};
    std::string note = " ";
    note += std::to_string(m_missed);
    note += m_missed == 1 ? " callout" : " callouts";
    note += " could not be heard, the last " + m_lastMissed + ".";
    return note;
}

// A new launch time, or a simulated time set or restored, starts a new count: each cue is said
// again when the count comes down to it. A clock that steps on its own starts none, so what
// was said stays said.
void Callouts::forget() {
    m_saidCounts.clear();
    m_saidEvents.clear();
}

void Callouts::heard(const Happening& h) {
    using K = Happening::Kind;
    switch (h.kind) {
    case K::ProgramStart:
        load();
        prepareAll();
        showState();
        break;
    case K::Hold:
        // What was due is silenced; the resume phrase is known from now.
        m_planned.clear();
        if (m_output)
            m_output->plan({});
        if (m_choices.holds) {
            say(HoldPhrase);
            prepareAll(resumePhrase(h.shown));
        }
        break;
    case K::Resume:
        if (m_choices.holds)
            say(resumePhrase(h.shown));
        break;
    case K::BuiltInHold:
    case K::BuiltInHoldEnd:
        if (m_choices.holds)
            say(builtInHoldPhrase(h.shown.secondsToLaunch(), h.kind == K::BuiltInHold));
        break;
    case K::WindowWarned:
        if (m_choices.window)
            say(WindowPhrase);
        break;
    case K::EventDefined:
        if (m_output && h.event && m_choices.events)
            m_output->prepare({h.event->name});
        break;
    case K::LaunchTimeSet:
    case K::SimTimeSet:
    case K::SimTimeRestored:
    case K::FileRead:
        forget();
        if (h.kind == K::FileRead)
            prepareAll();
        break;
    default:
        break;
    }
}

void Callouts::round() {
    if (m_output)
        m_output->beat();
    const frmOrvane* frm = m_app.loaded<frmOrvane>();
    if (!frm)
        return;
    const Clock& clock = m_app.services().clock;
    const Instant now = clock.instant();
    const std::int64_t mono = clock.monotonicMs();
    const bool stepped = m_seen && m_steps.step(now, mono) != 0;
    if (!m_seen)
        m_steps.reset(now, mono);
    const std::int64_t count = frm->shownCount().secondsToLaunch();
    // The count's own pace: the clock ran on into the next second and the count went one down.
    const bool paced = m_seen && !stepped && !frm->held() && now == m_seen->second.addSeconds(1) &&
                       count == m_seen->count - 1;
    m_seen = Seen{now, count};
    const std::vector<EventMoment> events = eventMoments();
    if (paced)
        sayDue(now, count, events);
    planAhead(now, events);
}

std::vector<Callouts::EventMoment> Callouts::eventMoments() const {
    std::vector<EventMoment> moments;
    const frmEventTimers* board = m_app.loaded<frmEventTimers>();
    if (!board || !m_choices.events)
        return moments;
    for (int n = 0; n < 10; ++n) {
        // A row never defined is passed over before its count is worked out (every second).
        if (!board->isAssigned(n))
            continue;
        const frmEventTimers::Row row = board->row(n);
        std::string name = row.name.empty() ? "event " + std::to_string(n + 1) : row.name;
        moments.push_back({row.moment, {n, std::move(name), row.signedOffset()}});
    }
    return moments;
}

std::optional<std::string> Callouts::eventCue(const EventMoment& e, Instant at) const {
    if (e.moment != at || m_saidEvents.contains(e.key))
        return std::nullopt;
    return std::get<1>(e.key);
}

void Callouts::sayDue(Instant now, std::int64_t seconds, const std::vector<EventMoment>& events) {
    if (const std::vector<std::string> cues = cuesAt(seconds, m_choices);
        !cues.empty() && m_saidCounts.insert(seconds).second)
        for (const std::string& cue : cues)
            say(cue, now);
    for (const EventMoment& e : events)
        if (auto name = eventCue(e, now)) {
            m_saidEvents.insert(e.key);
            say(*name, now);
        }
}

void Callouts::planAhead(Instant now) {
    planAhead(now, eventMoments());
}

void Callouts::planAhead(Instant now, const std::vector<EventMoment>& events) {
    std::vector<Cue> plan;
    const frmOrvane* frm = m_app.loaded<frmOrvane>();
    if (frm && speaking() && !frm->held()) {
        const std::int64_t count = frm->shownCount().secondsToLaunch();
        for (int k = 1; k <= PlanSeconds; ++k) {
            const Instant at = now.addSeconds(k);
            const std::int64_t seconds = count - k;
            if (!m_saidCounts.contains(seconds))
                for (const std::string& cue : cuesAt(seconds, m_choices))
                    plan.push_back({cue, trueMs(at)});
            for (const EventMoment& e : events)
                if (auto name = eventCue(e, at))
                    plan.push_back({*name, trueMs(at)});
        }
    }
    if (plan == m_planned)
        return;
    m_planned = std::move(plan);
    if (!m_output)
        return;
    // A phrase renamed since it was prepared (an event's new name) is made now, seconds
    // before its moment.
    std::vector<std::string> phrases;
    for (const Cue& c : m_planned)
        if (!c.tone())
            phrases.push_back(c.text);
    if (!phrases.empty())
        m_output->prepare(phrases);
    m_output->plan(m_planned);
}

void Callouts::prepareAll(const std::string& also) {
    if (!m_output)
        return;
    std::vector<std::string> phrases;
    for (std::int64_t s : {600, 300, 60, 30, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0})
        if (auto cue = countCue(s, m_choices); cue && !cue->empty())
            phrases.push_back(*cue);
    phrases.push_back(HoldPhrase);
    phrases.push_back(WindowPhrase);
    if (const frmEventTimers* board = m_app.loaded<frmEventTimers>())
        for (int n = 0; n < 10; ++n)
            if (const frmEventTimers::Row row = board->row(n); row.defined && !row.name.empty())
                phrases.push_back(row.name);
    if (!also.empty())
        phrases.push_back(also);
    m_output->prepare(phrases);
}

} // namespace orvane
