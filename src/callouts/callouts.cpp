#include "callouts/callouts.h"
#include "callouts/plan_phrases.h"

#include "app.h"
#include "callouts/frmCallouts.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"

#include <algorithm>

namespace orvane {

namespace {

// How far ahead the output hears of the cues to come: enough to have each written before its
// second, short enough that a hold or a new launch time rarely has to take one back.
constexpr int PlanSeconds = 3;

} // namespace

Callouts::Callouts(App& app, SoundOutput* output) : m_app(app), m_output(output) {
    load();
    m_happenings = app.happenings().subscribe([this](const Happening& h) { heard(h); });
    m_rounds = app.happenings().subscribeRounds([this] { round(); });
    if (m_output) {
        m_output->onAvailabilityChanged = [this] { showState(); };
        m_output->onMissed = [this](const std::string& text) { missed(text); };
        // Spoken lengths now known may mark entries that run into the next cue.
        m_output->onReady = [this] {
            if (frmCallouts* dialog = m_app.loaded<frmCallouts>())
                dialog->ShowEntries();
        };
    }
}

Callouts::~Callouts() {
    if (m_output) {
        m_output->onAvailabilityChanged = nullptr;
        m_output->onMissed = nullptr;
        m_output->onReady = nullptr;
    }
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

void Callouts::aheadAgain(std::int64_t count) {
    // Events keep the board's own rules: a row once passed counts up from its moment.
    std::erase_if(m_saidCounts, [count](std::int64_t s) { return s < count; });
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
        sayHeld(HoldPhrase, h, m_choices.holds);
        if (m_choices.holds || m_choices.commands)
            prepareAll(resumePhrase(h.shown));
        break;
    case K::Resume:
        sayHeld(resumePhrase(h.shown), h, m_choices.holds);
        break;
    case K::BuiltInHold:
    case K::BuiltInHoldEnd:
        // The count stops on the hold's second, so the team's entry there is said as the hold
        // begins, in place of the family's phrase.
        if (const CalloutEntry* e = entryAt(h.shown.secondsToLaunch());
            e && h.kind == K::BuiltInHold) {
            if (m_saidCounts.insert(e->toLaunch).second)
                say(e->words);
            break;
        }
        sayHeld(builtInHoldPhrase(h.shown.secondsToLaunch(), h.kind == K::BuiltInHold), h,
                m_choices.builtInHolds);
        break;
    case K::RemoteCommand:
        if (const auto phrase = commandPhrase(h.command); phrase && m_choices.commands)
            say(byDevice(*phrase, h.by));
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

void Callouts::sayHeld(const std::string& phrase, const Happening& h, bool family) {
    if (!h.by.empty() && m_choices.commands)
        say(byDevice(phrase, h.by));
    else if (family)
        say(phrase);
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
    // The count put back above what was said, not by a step of the clock: a launch time taken
    // from a leader, which tells no happening here, or one set by a script. What lies below it
    // is ahead again, as after a launch time set here.
    if (m_seen && !stepped && count > m_seen->count)
        aheadAgain(count);
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
        const frmEventTimers::Row row = board->row(n, frmEventTimers::Parts::WithoutShown);
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
    if (const std::vector<std::string> cues = cuesNow(seconds);
        !cues.empty() && m_saidCounts.insert(seconds).second)
        for (const std::string& cue : cues)
            say(cue, now);
    // The team's words win: an entry's second says nothing else.
    if (entryAt(seconds))
        return;
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
                for (const std::string& cue : cuesNow(seconds))
                    plan.push_back({cue, trueMs(at)});
            if (entryAt(seconds))
                continue;
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
    for (std::int64_t s : {600, 300, 60, 30, 20, 15, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0})
        if (auto cue = countCue(s, m_choices); cue && !cue->empty())
            phrases.push_back(*cue);
    for (const CalloutEntry& e : entries())
        phrases.push_back(e.words);
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
