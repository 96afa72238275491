// orvane-day-check: the whole program on the fake clock through a simulated day, with the
// benchmark's scene (a launch two hours ahead, ten events, both windows shown), checking that
// the main count and every board row show each second exactly once, and take it at the very
// moment the second changes. It prints one line and exits 0 when every second was shown so.
// With --plan the count runs a countdown plan of 20 built-in holds, and the L count, which
// runs on through them, is held to the same (the T count stands still in each hold).

#include "app.h"
#include "clock/frmOrvane.h"
#include "doubles/fake_services.h"
#include "events/frmEventTimers.h"
#include "shell/basOrvaneLoad.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace orvane;

// A count text as a signed number of seconds to its moment, positive before it: "T -" with
// the main count's labels, or a row's "- 0/   01:59:45".
std::int64_t toMoment(const std::string& sign, std::int64_t d, std::int64_t h, std::int64_t m,
                      std::int64_t s) {
    const std::int64_t total = d * 86400 + h * 3600 + m * 60 + s;
    return sign.find('-') != std::string::npos ? total : -total;
}

struct Display {
    // Each new text: the second it was set in, and the second of the moment it counted to.
    std::vector<std::pair<std::int64_t, std::int64_t>> shown;
    int offTheFlip = 0; // texts set later than the very moment the second changed
};

class Watcher : public ControlObserver {
  public:
    Watcher(FakeWorld& world, App& app) : m_world(world), m_app(app) {
        m_start = world.clock.now();
        app.frmOrvane().control<Label>("lblSeconds").setObserver(this);
        app.frmOrvane().control<Label>("lblLCount").setObserver(this);
        for (int n = 0; n < 10; ++n)
            app.frmEventTimers().control<Label>("lblTime", n).setObserver(this);
    }

    void controlChanged(Control& control, Prop what) override {
        if (what != Prop::Caption)
            return;
        const std::int64_t second = secondsBetween(m_start, m_world.clock.now());
        const bool lCount = control.name() == "lblLCount";
        Display& d = lCount ? l : control.index() < 0 ? main : rows[std::size_t(control.index())];
        std::int64_t left = 0; // seconds to the count's moment
        if (lCount) {
            char sign = 0;
            long long days = 0, h = 0, m = 0, s = 0;
            const std::string text = static_cast<Label&>(control).caption();
            if (std::sscanf(text.c_str(), "L %c %lld %lld:%lld:%lld", &sign, &days, &h, &m, &s) !=
                5)
                return;
            left = toMoment(std::string(1, sign), days, h, m, s);
        } else if (control.index() < 0) {
            const frmOrvane& f = m_app.frmOrvane();
            auto shown = [&](const char* name) { return f.control<Label>(name).caption(); };
            left = toMoment(shown("lblTMinus"), std::stoll(shown("lblDays")),
                            std::stoll(shown("lblHours")), std::stoll(shown("lblMinutes")),
                            std::stoll(shown("lblSeconds")));
        } else {
            char sign = 0;
            long long days = 0, h = 0, m = 0, s = 0;
            const std::string text = static_cast<Label&>(control).caption();
            if (std::sscanf(text.c_str(), "%c %lld/ %lld:%lld:%lld", &sign, &days, &h, &m, &s) != 5)
                return;
            left = toMoment(std::string(1, sign), days, h, m, s);
        }
        d.shown.emplace_back(second, second + left);
        if (m_world.clock.msIntoSecond() != 0)
            ++d.offTheFlip;
    }

    Display main, l;
    std::array<Display, 10> rows;

  private:
    FakeWorld& m_world;
    App& m_app;
    DateTime m_start;
};

struct Tally {
    int seconds = 0, skipped = 0, repeated = 0, offTheFlip = 0;
};

// Every second from the first to the last must have been shown exactly once.
void check(const Display& d, std::int64_t first, std::int64_t last, Tally& t) {
    std::map<std::int64_t, std::int64_t> votes;
    for (const auto& [second, moment] : d.shown)
        ++votes[moment];
    std::int64_t moment = 0;
    int best = 0;
    for (const auto& [m, n] : votes)
        if (n > best) {
            best = n;
            moment = m;
        }
    std::map<std::int64_t, int> count;
    for (const auto& [second, m] : d.shown)
        ++count[second - (m - moment)];
    for (std::int64_t s = first; s <= last; ++s) {
        ++t.seconds;
        const int n = count[s];
        t.skipped += n == 0;
        t.repeated += n > 1 ? n - 1 : 0;
    }
    t.offTheFlip += d.offTheFlip;
}

} // namespace

int main(int argc, char** argv) {
    const bool planned = argc > 1 && std::string(argv[1]) == "--plan";
    AppInfo info;
    info.programDir = "/orvane";
    FakeWorld world(info);
    world.clock.set(*DateTime::fromParts(2001, 5, 3, 10, 29, 59));
    App app(world.services);
    world.scheduler.deliver([&] { Main(app); });
    world.scheduler.advance(4000);

    frmOrvane& main = app.frmOrvane();
    frmEventTimers& board = app.frmEventTimers();
    world.scheduler.deliver([&] {
        const DateTime launch = world.clock.now().addSeconds(2 * 3600);
        main.control<Label>("lblTarget")
            .setCaption(formatDate(launch, "mmmm dd, yyyy   h:mm:ss AM/PM"));
        const std::array<std::pair<const char*, int>, 10> events = {{{"-", 600},
                                                                     {"-", 7130},
                                                                     {"-", 6580},
                                                                     {"-", 7185},
                                                                     {"-", 7230},
                                                                     {"-", 10800},
                                                                     {"-", 9000},
                                                                     {"+", 600},
                                                                     {"+", 3600},
                                                                     {"+", 86400}}};
        for (int n = 0; n < 10; ++n)
            board.DefineEvent(n, "Event " + std::to_string(n + 1), events[std::size_t(n)].first,
                              events[std::size_t(n)].second);
        main.control<CommandButton>("cmdShowTimers").click();
        // Twenty built-in holds of a minute, every five minutes from T-100:00 to T-5:00.
        for (int n = 1; planned && n <= 20; ++n)
            app.launchState().plan().add(
                {n * 300, 60, "Built-in hold " + std::to_string(n), false});
        PlanRun::planChanged(main);
    });

    Watcher watcher(world, app);
    constexpr std::int64_t Day = 86400;
    world.scheduler.advance(Day * 1000);

    Tally mainTally, rowTally;
    // With a plan it is the L count that must show every second; the T count stands in holds.
    check(planned ? watcher.l : watcher.main, 1, Day, mainTally);
    // The rows stand in built-in holds as the T count does: held to it only without a plan.
    for (const Display& d : watcher.rows)
        if (!planned)
            check(d, 1, Day, rowTally);
    const bool pass = mainTally.seconds == Day && mainTally.skipped == 0 &&
                      mainTally.repeated == 0 && mainTally.offTheFlip == 0 &&
                      rowTally.skipped == 0 && rowTally.repeated == 0 && rowTally.offTheFlip == 0;
    if (planned) {
        std::printf("with a plan of 20 built-in holds, the L count %d skipped, %d repeated, %d "
                    "late in %d s\n",
                    mainTally.skipped, mainTally.repeated, mainTally.offTheFlip, mainTally.seconds);
        return pass ? 0 : 1;
    }
    std::printf("main count %d skipped, %d repeated, %d late in %d s; ten rows %d skipped, %d "
                "repeated, %d late\n",
                mainTally.skipped, mainTally.repeated, mainTally.offTheFlip, mainTally.seconds,
                rowTally.skipped, rowTally.repeated, rowTally.offTheFlip);
    return pass ? 0 : 1;
}
