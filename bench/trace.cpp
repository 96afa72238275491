// Reading the program's trace: when each shown second's text was set and painted, measured
// from the true start of that second, and how often each timer ticked.

#include "bench.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

constexpr std::int64_t NsPerSecond = 1'000'000'000;

struct Flip {
    std::int64_t ns = 0;
    // The count as a signed number of seconds to the launch: positive before it. The wall
    // second a flip shows is then the launch second minus this.
    std::int64_t toLaunch = 0;
    std::string seconds;
};

struct Paint {
    std::int64_t ns = 0;
    std::string text;
};

struct Ticks {
    std::int64_t ns = 0;
    std::map<std::string, std::uint64_t> counts;
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

std::optional<Flip> readFlip(std::istringstream& in) {
    Flip f;
    std::string t, sign, days, hours, minutes;
    if (!(in >> f.ns >> t >> sign >> days >> hours >> minutes >> f.seconds))
        return std::nullopt;
    try {
        const std::int64_t total = std::stoll(days) * 86400 + std::stoll(hours) * 3600 +
                                   std::stoll(minutes) * 60 + std::stoll(f.seconds);
        f.toLaunch = sign == "-" ? total : -total;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return f;
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

} // namespace

void readTrace(const std::string& trace, std::int64_t fromNs, std::int64_t toNs,
               std::int64_t startNs, RunResult& result) {
    std::vector<Flip> flips;
    std::vector<Paint> paints;
    std::vector<Ticks> ticks;
    std::ifstream file(trace);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string kind;
        in >> kind;
        if (kind == "flip") {
            if (auto f = readFlip(in))
                flips.push_back(*f);
        } else if (kind == "paint") {
            Paint p;
            in >> p.ns;
            std::getline(in >> std::ws, p.text);
            paints.push_back(p);
        } else if (kind == "ticks") {
            ticks.push_back(readTicks(in));
        }
    }
    if (!paints.empty())
        result.firstPaintMs = double(paints.front().ns - startNs) / 1e6;

    // The launch second, as the wall clock counts: the one most flips agree on.
    std::map<std::int64_t, int> votes;
    for (const Flip& f : flips)
        if (f.ns >= fromNs && f.ns <= toNs)
            ++votes[floorSecond(f.ns) + f.toLaunch];
    if (votes.empty()) {
        result.error = "no second was shown while measuring";
        return;
    }
    const std::int64_t launch = std::max_element(votes.begin(), votes.end(), [](auto& a, auto& b) {
                                    return a.second < b.second;
                                })->first;

    // Every second that began in the measured stretch, with time to show it before the end,
    // must have been shown exactly once.
    const std::int64_t first = floorSecond(fromNs - 1) + 1;
    const std::int64_t last = floorSecond(toNs - NsPerSecond / 2) - 1;
    std::map<std::int64_t, std::vector<const Flip*>> shown;
    for (const Flip& f : flips) {
        const std::int64_t second = launch - f.toLaunch;
        if (second >= first && second <= last)
            shown[second].push_back(&f);
    }
    std::vector<double> textMs, paintMs;
    for (std::int64_t second = first; second <= last; ++second) {
        ++result.secondsMeasured;
        const auto& list = shown[second];
        if (list.empty()) {
            ++result.skipped;
            continue;
        }
        result.repeated += int(list.size()) - 1;
        const Flip& f = *list.front();
        const std::int64_t begin = second * NsPerSecond;
        textMs.push_back(double(f.ns - begin) / 1e6);
        // The paint that showed this text: the first with it after the text was set.
        auto p = std::find_if(paints.begin(), paints.end(), [&](const Paint& paint) {
            return paint.ns >= f.ns && paint.text == f.seconds;
        });
        if (p == paints.end() || p->ns - begin >= 2 * NsPerSecond)
            ++result.unpainted;
        else
            paintMs.push_back(double(p->ns - begin) / 1e6);
    }
    result.text = spread(textMs);
    result.paint = spread(paintMs);

    // Ticks a second: between the first and the last count taken while measuring.
    const Ticks* a = nullptr;
    const Ticks* b = nullptr;
    for (const Ticks& t : ticks) {
        if (t.ns < fromNs || t.ns > toNs)
            continue;
        if (!a)
            a = &t;
        b = &t;
    }
    if (a && b && b->ns > a->ns) {
        const double span = double(b->ns - a->ns) / 1e9;
        for (const auto& [name, count] : b->counts) {
            auto before = a->counts.find(name);
            if (before != a->counts.end())
                result.ticksPerSecond[name] = double(count - before->second) / span;
        }
    }
}

} // namespace bench
