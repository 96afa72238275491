// Reading the program's trace: when each shown second's text was set and painted, on the main
// count and on every board row, measured from the true start of that second; when the rows'
// colours turned, measured from the start of the second they were due; and how often each
// timer ticked. The floors write simpler lines: the bare label when it set and painted each
// second, the bare wake-up when it woke for each second. With the present window up, its count
// is read the same way as the main count; with the journal's scene, the happenings are counted.

#include "bench.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>
#include <sstream>

namespace bench {

namespace {

constexpr std::int64_t NsPerSecond = 1'000'000'000;

// One new text of a count: when it was set, and what it showed as a signed number of seconds
// to its moment (the launch, or the row's event), positive before it. The wall second the
// text shows is then the moment's second minus this.
struct Shown {
    std::int64_t ns = 0;
    std::int64_t toMoment = 0;
    std::string seconds; // the main count's seconds label, to find its paint
};

struct Paint {
    std::int64_t ns = 0;
    std::string text;
};

struct ColorChange {
    std::int64_t ns = 0;
    int row = 0;
    bool panel = false;
    unsigned color = 0;
};

struct Ticks {
    std::int64_t ns = 0;
    std::map<std::string, std::uint64_t> counts;
};

// A floor's line: the wall clock's time, the second it was for and the text it showed.
struct FloorMark {
    std::int64_t ns = 0;
    std::int64_t second = 0;
    std::string text;
};

struct Trace {
    std::vector<FloorMark> sets;  // "set NS SECOND TEXT", the bare label
    std::vector<FloorMark> wakes; // "wake NS SECOND", the bare wake-up
    std::vector<Shown> flips;
    std::array<std::vector<Shown>, 10> rows;
    std::vector<Paint> paints;
    std::vector<ColorChange> colors;
    std::vector<Ticks> ticks;
    std::vector<Shown> presentSets; // "pset NS HH:MM:SS", the present window's count
    std::vector<Paint> presentPaints;
    std::optional<std::string> presentBox;
    std::vector<std::int64_t> happenings;
};

// The seconds a measured stretch holds: every second that began in it, with time to show it
// before the end.
struct Stretch {
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::int64_t fromNs = 0;
    std::int64_t toNs = 0;
};

std::int64_t floorSecond(std::int64_t ns) {
    return ns >= 0 ? ns / NsPerSecond : -((-ns + NsPerSecond - 1) / NsPerSecond);
}

Spread spread(std::vector<double> ms) {
    Spread s;
    s.samples = int(ms.size());
    if (ms.empty())
        return s;
    std::sort(ms.begin(), ms.end());
    // Nearest rank: the smallest sample with at least that share of samples at or below it.
    auto rank = [&](double share) {
        const auto r = std::size_t(std::ceil(share * double(ms.size())));
        return ms[std::clamp<std::size_t>(r, 1, ms.size()) - 1];
    };
    s.p50 = rank(0.50);
    s.p99 = rank(0.99);
    s.max = ms.back();
    return s;
}

// "flip NS T - DAYS HH MM SS", the main count's labels.
std::optional<Shown> readFlip(std::istringstream& in) {
    Shown f;
    std::string t, sign, days, hours, minutes;
    if (!(in >> f.ns >> t >> sign >> days >> hours >> minutes >> f.seconds))
        return std::nullopt;
    try {
        const std::int64_t total = std::stoll(days) * 86400 + std::stoll(hours) * 3600 +
                                   std::stoll(minutes) * 60 + std::stoll(f.seconds);
        f.toMoment = sign == "-" ? total : -total;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return f;
}

// "row NS N - D/   HH:MM:SS", a row's count.
std::optional<std::pair<int, Shown>> readRow(std::istringstream& in) {
    Shown r;
    int n = -1;
    std::string text;
    if (!(in >> r.ns >> n) || n < 0 || n > 9 || !std::getline(in >> std::ws, text))
        return std::nullopt;
    char sign = 0;
    long long days = 0, hours = 0, minutes = 0, seconds = 0;
    if (std::sscanf(text.c_str(), "%c %lld/ %lld:%lld:%lld", &sign, &days, &hours, &minutes,
                    &seconds) != 5)
        return std::nullopt;
    const std::int64_t total = days * 86400 + hours * 3600 + minutes * 60 + seconds;
    r.toMoment = sign == '-' ? total : -total;
    return std::pair{n, r};
}

// "color NS N panel|count &HBBGGRR"
std::optional<ColorChange> readColor(std::istringstream& in) {
    ColorChange c;
    std::string part, color;
    if (!(in >> c.ns >> c.row >> part >> color) || color.rfind("&H", 0) != 0)
        return std::nullopt;
    c.panel = part == "panel";
    c.color = unsigned(std::stoul(color.substr(2), nullptr, 16));
    return c;
}

// "pset NS HH:MM:SS": the present window's count, before the launch.
std::optional<Shown> readPresentSet(std::istringstream& in) {
    Shown p;
    long long hours = 0, minutes = 0, seconds = 0;
    if (!(in >> p.ns >> p.seconds) ||
        std::sscanf(p.seconds.c_str(), "%lld:%lld:%lld", &hours, &minutes, &seconds) != 3)
        return std::nullopt;
    p.toMoment = hours * 3600 + minutes * 60 + seconds;
    return p;
}

Ticks readTicks(std::istringstream& in) {
    Ticks t;
    in >> t.ns;
    std::string pair;
    while (in >> pair) {
        const auto eq = pair.find('=');
        if (eq != std::string::npos)
            t.counts[pair.substr(0, eq)] = std::stoull(pair.substr(eq + 1));
    }
    return t;
}

Trace readLines(const std::string& file) {
    Trace trace;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "flip") {
            if (auto f = readFlip(fields))
                trace.flips.push_back(*f);
        } else if (kind == "row") {
            if (auto r = readRow(fields))
                trace.rows[std::size_t(r->first)].push_back(r->second);
        } else if (kind == "color") {
            if (auto c = readColor(fields))
                trace.colors.push_back(*c);
        } else if (kind == "paint") {
            Paint p;
            fields >> p.ns;
            std::getline(fields >> std::ws, p.text);
            trace.paints.push_back(p);
        } else if (kind == "ticks") {
            trace.ticks.push_back(readTicks(fields));
        } else if (kind == "pset") {
            if (auto p = readPresentSet(fields))
                trace.presentSets.push_back(*p);
        } else if (kind == "ppaint") {
            Paint p;
            fields >> p.ns;
            std::getline(fields >> std::ws, p.text);
            trace.presentPaints.push_back(p);
        } else if (kind == "pbox") {
            std::string box;
            if (std::getline(fields >> std::ws, box))
                trace.presentBox = box;
        } else if (kind == "happening") {
            std::int64_t ns = 0;
            if (fields >> ns)
                trace.happenings.push_back(ns);
        } else if (kind == "set" || kind == "wake") {
            FloorMark m;
            if (fields >> m.ns >> m.second) {
                fields >> m.text;
                (kind == "set" ? trace.sets : trace.wakes).push_back(m);
            }
        }
    }
    return trace;
}

// The second of a count's moment, as the wall clock counts: the one most of its texts while
// measuring agree on.
std::optional<std::int64_t> momentSecond(const std::vector<Shown>& shown, const Stretch& s) {
    std::map<std::int64_t, int> votes;
    for (const Shown& x : shown)
        if (x.ns >= s.fromNs && x.ns <= s.toNs)
            ++votes[floorSecond(x.ns) + x.toMoment];
    if (votes.empty())
        return std::nullopt;
    return std::max_element(votes.begin(), votes.end(),
                            [](auto& a, auto& b) { return a.second < b.second; })
        ->first;
}

// Every second of the stretch must have been shown exactly once; the first text of each
// second is its sample, in milliseconds after the second began.
SecondsShown checkSeconds(const std::vector<Shown>& shown, std::int64_t moment, const Stretch& s,
                          std::vector<double>& latencyMs, std::vector<const Shown*>* firsts) {
    std::map<std::int64_t, std::vector<const Shown*>> bySecond;
    for (const Shown& x : shown) {
        const std::int64_t second = moment - x.toMoment;
        if (second >= s.first && second <= s.last)
            bySecond[second].push_back(&x);
    }
    SecondsShown result;
    for (std::int64_t second = s.first; second <= s.last; ++second) {
        ++result.measured;
        const auto& list = bySecond[second];
        if (list.empty()) {
            ++result.skipped;
            continue;
        }
        result.repeated += int(list.size()) - 1;
        latencyMs.push_back(double(list.front()->ns - second * NsPerSecond) / 1e6);
        if (firsts)
            firsts->push_back(list.front());
    }
    return result;
}

// A count's figures: every second shown once, when its text was set and when the paint that
// showed it ran, the first with that text after it was set.
struct CountFigures {
    SecondsShown shown;
    Spread text;
    Spread paint;
    int unpainted = 0;
};

std::optional<CountFigures> readCount(const std::vector<Shown>& sets,
                                      const std::vector<Paint>& paints, const Stretch& s) {
    const auto launch = momentSecond(sets, s);
    if (!launch)
        return std::nullopt;
    CountFigures out;
    std::vector<double> textMs, paintMs;
    std::vector<const Shown*> firsts;
    out.shown = checkSeconds(sets, *launch, s, textMs, &firsts);
    for (const Shown* f : firsts) {
        const std::int64_t begin = (*launch - f->toMoment) * NsPerSecond;
        auto p = std::find_if(paints.begin(), paints.end(), [&](const Paint& paint) {
            return paint.ns >= f->ns && paint.text == f->seconds;
        });
        if (p == paints.end() || p->ns - begin >= 2 * NsPerSecond)
            ++out.unpainted;
        else
            paintMs.push_back(double(p->ns - begin) / 1e6);
    }
    out.text = spread(textMs);
    out.paint = spread(paintMs);
    return out;
}

void readMainCount(const Trace& trace, const Stretch& s, RunResult& result) {
    const auto count = readCount(trace.flips, trace.paints, s);
    if (!count) {
        result.error = "no second was shown while measuring";
        return;
    }
    result.main = count->shown;
    result.text = count->text;
    result.paint = count->paint;
    result.unpainted = count->unpainted;
}

void readPresent(const Trace& trace, const Stretch& s, RunResult& result) {
    result.presentBox = trace.presentBox;
    const auto count = readCount(trace.presentSets, trace.presentPaints, s);
    if (!count) {
        result.error = "the present window showed no second while measuring";
        return;
    }
    result.present = count->shown;
    result.presentText = count->text;
    result.presentPaint = count->paint;
    result.presentUnpainted = count->unpainted;
}

// The second a row's colour is due: the panel turns pale yellow 600 s before the event,
// yellow 60 s before and back to the button face at it, the count light green at it.
std::optional<std::int64_t> colorDue(const ColorChange& c, std::int64_t moment) {
    constexpr unsigned PaleYellow = 0xC0FFFF, Yellow = 0x00FFFF, ButtonFace = 0x8000000F,
                       LightGreen = 0x80FF80;
    if (c.panel && c.color == PaleYellow)
        return moment - 600;
    if (c.panel && c.color == Yellow)
        return moment - 60;
    if ((c.panel && c.color == ButtonFace) || (!c.panel && c.color == LightGreen))
        return moment;
    return std::nullopt;
}

void readRows(const Trace& trace, const Stretch& s, RunResult& result) {
    std::vector<double> textMs, colorMs;
    std::array<std::optional<std::int64_t>, 10> moments;
    for (std::size_t n = 0; n < trace.rows.size(); ++n) {
        moments[n] = momentSecond(trace.rows[n], s);
        if (!moments[n]) {
            result.error = "row " + std::to_string(n) + " showed no second while measuring";
            return;
        }
        result.rows += checkSeconds(trace.rows[n], *moments[n], s, textMs, nullptr);
    }
    // Like the texts, the colours due in the seconds of the stretch are timed.
    for (const ColorChange& c : trace.colors) {
        if (c.row < 0 || c.row > 9)
            continue;
        const auto due = colorDue(c, *moments[std::size_t(c.row)]);
        if (due && *due >= s.first && *due <= s.last)
            colorMs.push_back(double(c.ns - *due * NsPerSecond) / 1e6);
    }
    result.rowText = spread(textMs);
    result.colorSet = spread(colorMs);
}

// Ticks a second: between the first and the last count taken while measuring.
void tickRates(const Trace& trace, const Stretch& s, RunResult& result) {
    const Ticks* a = nullptr;
    const Ticks* b = nullptr;
    for (const Ticks& t : trace.ticks) {
        if (t.ns < s.fromNs || t.ns > s.toNs)
            continue;
        if (!a)
            a = &t;
        b = &t;
    }
    if (!a || !b || b->ns <= a->ns)
        return;
    const double span = double(b->ns - a->ns) / 1e9;
    for (const auto& [name, count] : b->counts) {
        auto before = a->counts.find(name);
        if (before != a->counts.end())
            result.ticksPerSecond[name] = double(count - before->second) / span;
    }
}

// A floor: for each second of the stretch, how late it woke or set its label, and when the
// label painted that text.
void readFloor(const Trace& trace, const Stretch& s, RunResult& result) {
    const bool label = result.config.subject == Subject::BareLabel;
    std::vector<double> markMs, paintMs;
    std::map<std::int64_t, const FloorMark*> bySecond;
    for (const FloorMark& m : label ? trace.sets : trace.wakes)
        if (m.second >= s.first && m.second <= s.last && !bySecond.count(m.second))
            bySecond[m.second] = &m;
    for (std::int64_t second = s.first; second <= s.last; ++second) {
        ++result.main.measured;
        const auto it = bySecond.find(second);
        if (it == bySecond.end()) {
            ++result.main.skipped;
            continue;
        }
        const FloorMark& m = *it->second;
        const std::int64_t begin = second * NsPerSecond;
        markMs.push_back(double(m.ns - begin) / 1e6);
        if (!label)
            continue;
        auto p = std::find_if(trace.paints.begin(), trace.paints.end(), [&](const Paint& paint) {
            return paint.ns >= m.ns && paint.text == m.text;
        });
        if (p == trace.paints.end() || p->ns - begin >= 2 * NsPerSecond)
            ++result.unpainted;
        else
            paintMs.push_back(double(p->ns - begin) / 1e6);
    }
    result.text = spread(markMs);
    result.paint = spread(paintMs);
    if (markMs.empty())
        result.error = "no second was marked while measuring";
}

} // namespace

std::optional<std::int64_t> firstPaintNs(const std::string& file) {
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("paint ", 0) == 0) {
            // A line still being written has no text after its time yet.
            std::istringstream fields(line.substr(6));
            std::int64_t ns = 0;
            std::string text;
            if (fields >> ns >> text)
                return ns;
        }
    return std::nullopt;
}

void readTrace(const std::string& file, std::int64_t fromNs, std::int64_t toNs,
               RunResult& result) {
    const Trace trace = readLines(file);
    const Stretch s{floorSecond(fromNs - 1) + 1, floorSecond(toNs - NsPerSecond / 2) - 1, fromNs,
                    toNs};
    if (result.config.subject != Subject::Program) {
        readFloor(trace, s, result);
        return;
    }
    readMainCount(trace, s, result);
    if (result.error.empty())
        readRows(trace, s, result);
    if (result.error.empty() && result.config.scene == Scene::Present)
        readPresent(trace, s, result);
    result.happenings = int(std::count_if(trace.happenings.begin(), trace.happenings.end(),
                                          [&](std::int64_t ns) { return ns >= fromNs && ns <= toNs; }));
    tickRates(trace, s, result);
}

} // namespace bench
