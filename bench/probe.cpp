// The program as the benchmark runs it: the same start-up, plus a probe that sets up the
// benchmark's scene (a launch two hours ahead, ten events, both windows shown) and writes a line
// to the file ORVANE_BENCH_TRACE, with the wall clock's time, when the seconds label takes a new
// text and when that label paints (with the ticks of every timer so far), when a board row's
// count takes a new text, when a row's panel or count changes colour, and "hold NS CAPTION" when
// the hold button takes its new caption in the handling of a hold or a resume, just before the
// program tells the hold to its listeners (a leader's publishing among them). The probe only
// listens: no tick does anything different. It keeps its lines until the seconds label has
// painted and writes them then, at once, so that its own writing falls outside what it times.
//
// ORVANE_BENCH_SCENE adds to the scene:
//   present   the present window (Present Count, as its menu command opens it) over the
//             monitor; "pset NS TEXT" and "ppaint NS TEXT" when its count takes a new text and
//             paints it, "pbox W H BOLD FAMILY" once, the box and face its count is fitted to.
//             The lines are written after the present window's paint, the last of a second.
//   callouts  the ten events moved so that none falls due within hours, so that no callout is
//             due while measuring (the callouts themselves are on, as a first start has them).
//   journal   a happening every second, half-way through it: the tenth event defined again as
//             it was, which the journal records; "happening NS" for each.
//   countdowns  in place of the board and its events, the final count again and again: every
//             25 s, a third into a second, a launch 23 s ahead is set as Set Launch Time sets
//             one (the entry and its question left out), so that T minus ten is due 13 s
//             later; "launch NS UNIX_SECONDS" for each. Eleven of the team's own callouts,
//             "go" at each second from T-21 to T-11, are said before each final count.
//   stalls    a fine timer beside the board's scene (stalls_probe.h): "fine NS MAX_LATE_US
//             TICKS" once a second.

#include "app.h"
#include "callouts/callouts.h"
#include "clock/frmOrvane.h"
#include "clock/frmPresent.h"
#include "events/frmEventTimers.h"
#include "qt/qt_program.h"
#include "qt/qt_view.h"
#include "stalls_probe.h"

#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

enum class Scene { Board, Present, Callouts, Journal, Plan, Countdowns, Stalls };

Scene sceneWanted() {
    const char* scene = std::getenv("ORVANE_BENCH_SCENE");
    if (!scene)
        return Scene::Board;
    if (std::strcmp(scene, "present") == 0)
        return Scene::Present;
    if (std::strcmp(scene, "callouts") == 0)
        return Scene::Callouts;
    if (std::strcmp(scene, "journal") == 0)
        return Scene::Journal;
    if (std::strcmp(scene, "plan") == 0)
        return Scene::Plan;
    if (std::strcmp(scene, "countdowns") == 0)
        return Scene::Countdowns;
    if (std::strcmp(scene, "stalls") == 0)
        return Scene::Stalls;
    return Scene::Board;
}

class BenchProbe : public QObject, public orvane::ControlObserver {
  public:
    BenchProbe(int fd, orvane::App& app, orvane::QtView& view)
        : m_fd(fd), m_app(app), m_view(view), m_scene(sceneWanted()) {}
    ~BenchProbe() override {
        flush();
        ::close(m_fd);
    }

    void setUpScene() {
        orvane::frmOrvane& main = m_app.frmOrvane();
        m_holdButton = &main.control<orvane::CommandButton>("cmdHoldResume");
        m_holdButton->setObserver(this);
        if (m_scene == Scene::Countdowns) {
            m_seconds = &main.control<orvane::Label>("lblSeconds");
            m_seconds->setObserver(this);
            if (QWidget* w = m_view.widget(*m_seconds))
                w->installEventFilter(this);
            // The first second of a new launch time is not said (the count jumped to it); from
            // the second on, each is a short word that has ended well before the next.
            for (std::int64_t t = 11; t <= 21; ++t)
                (void)m_app.callouts().setEntry(std::size_t(t - 11), {t, "go"});
            countDownAgainAndAgain();
            return;
        }
        orvane::frmEventTimers& board = m_app.frmEventTimers();
        const orvane::DateTime launch = m_app.services().clock.now().addSeconds(2 * 3600);
        main.control<orvane::Label>("lblTarget")
            .setCaption(orvane::formatDate(launch, "mmmm dd, yyyy   h:mm:ss AM/PM"));
        // Seven events still ahead and three already passed. Into the run, event 2 turns
        // yellow at 10 s, event 4 passes at 15 s, event 3 turns pale yellow at 20 s and event 2
        // passes at 70 s, so the colours have changes to be timed.
        struct Event {
            const char* sign;
            int secs;
        };
        const Event events[10] = {{"-", 600},  {"-", 7130},  {"-", 6580}, {"-", 7185},
                                  {"-", 7230}, {"-", 10800}, {"-", 9000}, {"+", 600},
                                  {"+", 3600}, {"+", 86400}};
        // With callouts to be heard, none of them falls within the next hour, nor in the last.
        const Event quiet[10] = {{"-", 600},  {"-", 1800},  {"-", 2400}, {"-", 3000},
                                 {"-", 3300}, {"-", 14400}, {"-", 12000}, {"+", 600},
                                 {"+", 3600}, {"+", 86400}};
        const Event* chosen = m_scene == Scene::Callouts ? quiet : events;
        for (int n = 0; n < 10; ++n)
            board.DefineEvent(n, "Event " + std::to_string(n + 1), chosen[n].sign, chosen[n].secs);
        main.control<orvane::CommandButton>("cmdShowTimers").click();
        // Twenty built-in holds of five seconds, one every 20 s of the count from 10 s in.
        if (m_scene == Scene::Plan) {
            for (int n = 0; n < 20; ++n)
                m_app.launchState().plan().add(
                    {2 * 3600 - 10 - 20 * n, 5, "Built-in hold " + std::to_string(n + 1), false});
            orvane::PlanRun::planChanged(main);
            // The L count shows on the full screen.
            main.control<orvane::CommandButton>("cmdAccess").click();
        }

        // The two windows live for the whole run, so their timers are listed once.
        for (orvane::Form* form :
             {static_cast<orvane::Form*>(&main), static_cast<orvane::Form*>(&board)})
            for (orvane::Control* c : form->controls())
                if (c->kind() == orvane::Kind::Timer)
                    m_timers.emplace_back(form->name() + "." + c->name(),
                                          static_cast<orvane::Timer*>(c));
        // The T count stands in every built-in hold; the L count turns every second.
        m_seconds = &main.control<orvane::Label>(m_scene == Scene::Plan ? "lblLCount"
                                                                         : "lblSeconds");
        m_seconds->setObserver(this);
        for (int n = 0; n < 10; ++n) {
            board.control<orvane::Label>("lblTime", n).setObserver(this);
            board.control<orvane::PictureBox>("pctEvent", n).setObserver(this);
        }
        if (QWidget* w = m_view.widget(*m_seconds))
            w->installEventFilter(this);
        if (m_scene == Scene::Present)
            present(main);
        if (m_scene == Scene::Journal)
            happenEverySecond();
        if (m_scene == Scene::Stalls) {
            orvane::bench::startFineTimer(this, [this](const std::string& line) { write(line); });
            orvane::bench::answerQuestionsYes(this);
        }
    }

    void controlChanged(orvane::Control& control, orvane::Prop what) override {
        if (&control == m_holdButton) {
            if (what == orvane::Prop::Caption)
                write("hold " + stamp() + " " + m_holdButton->caption() + "\n");
            m_view.controlChanged(control, what);
            return;
        }
        m_view.controlChanged(control, what);
        if (&control == m_presentClock) {
            if (what == orvane::Prop::Caption)
                write("pset " + stamp() + " " + m_presentClock->caption() + "\n");
            return;
        }
        if (&control != m_seconds) {
            rowChanged(control, what);
            return;
        }
        if (what != orvane::Prop::Caption)
            return;
        const orvane::frmOrvane& main = m_app.frmOrvane();
        auto shown = [&](const char* name) { return main.control<orvane::Label>(name).caption(); };
        if (m_scene == Scene::Plan) {
            // "L - 000 01:05:00", written as the main count's flip: "L - 000 01 05 00".
            std::string l = m_seconds->caption();
            std::replace(l.begin(), l.end(), ':', ' ');
            write("flip " + stamp() + " " + l + "\n");
            return;
        }
        // Written in place, piece by piece: the probe's own work is counted with the program's.
        const std::int64_t ns = nowNs();
        m_pending += "flip ";
        appendNumber(ns);
        for (const char* name : {"lblTMinus", "lblDays", "lblHours", "lblMinutes", "lblSeconds"}) {
            m_pending += ' ';
            m_pending += shown(name);
        }
        m_pending += "\nticks ";
        appendNumber(ns);
        for (const auto& [name, timer] : m_timers) {
            m_pending += ' ';
            m_pending += name;
            m_pending += '=';
            appendNumber(std::int64_t(timer->ticks()));
        }
        write("\n");
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint)
            return false;
        const auto* label = static_cast<QLabel*>(watched);
        if (m_presentWidget && watched == m_presentWidget) {
            write("ppaint " + stamp() + " " + label->text().toStdString() + "\n");
            if (!m_boxTold) {
                m_boxTold = true;
                const QRect box = label->contentsRect();
                write("pbox " + std::to_string(box.width()) + " " +
                      std::to_string(box.height()) + " " + (label->font().bold() ? "1" : "0") +
                      " " + label->font().family().toStdString() + "\n");
            }
            flush();
            return false;
        }
        // The L count's paint is found by its seconds, as the main count's is.
        const std::string text = label->text().toStdString();
        write("paint " + stamp() + " " +
              (m_scene == Scene::Plan && text.size() > 2 ? text.substr(text.size() - 2) : text) +
              "\n");
        // With the present window up it paints last: the lines wait for it.
        if (!m_presentWidget)
            flush();
        return false;
    }

  private:
    // Opens the present window as its menu command does, on the one monitor of the benchmark's
    // X server, and follows its count.
    void present(orvane::frmOrvane& main) {
        main.control<orvane::MenuItem>("mnuPresent").click();
        auto* form = static_cast<orvane::frmPresent*>(m_app.loadedForm("frmPresent"));
        if (!form)
            return;
        m_presentClock = &form->lblClock;
        m_presentClock->setObserver(this);
        m_presentWidget = m_view.widget(*m_presentClock);
        if (m_presentWidget)
            m_presentWidget->installEventFilter(this);
    }

    // Half-way through each second, clear of the count's round, the tenth event is defined
    // again, a happening the journal records.
    void happenEverySecond() {
        auto* timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(1000);
        connect(timer, &QTimer::timeout, this, [this] {
            m_app.services().scheduler.deliver([this] {
                m_app.frmEventTimers().DefineEvent(9, "Event 10", "+", 86400);
            });
            write("happening " + stamp() + "\n");
        });
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        const long toHalf = (1'500'000'000L - t.tv_nsec) % 1'000'000'000L / 1'000'000L;
        QTimer::singleShot(int(toHalf), Qt::PreciseTimer, timer, [timer] { timer->start(); });
    }

    // Every 25 s from 3 s on, a third into a second: a launch 23 s ahead.
    void countDownAgainAndAgain() {
        auto* timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(25000);
        connect(timer, &QTimer::timeout, this, [this] {
            m_app.services().scheduler.deliver([this] { setLaunch(23); });
        });
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        const long toThird = (1'333'000'000L - t.tv_nsec) % 1'000'000'000L / 1'000'000L;
        QTimer::singleShot(3000 + int(toThird), Qt::PreciseTimer, timer, [this, timer] {
            m_app.services().scheduler.deliver([this] { setLaunch(23); });
            timer->start();
        });
    }

    // As Set Launch Time sets it, once the user has confirmed it.
    void setLaunch(int secondsAhead) {
        orvane::frmOrvane& main = m_app.frmOrvane();
        const orvane::Instant before = main.launchMoment();
        const orvane::DateTime launch = m_app.services().clock.now().addSeconds(secondsAhead);
        main.control<orvane::Label>("lblTarget")
            .setCaption(orvane::formatDate(launch, "mmmm dd, yyyy   h:mm:ss AM/PM"));
        orvane::Happening h = m_app.happening(orvane::Happening::Kind::LaunchTimeSet);
        h.oldLaunch = before;
        h.newLaunch = main.launchMoment();
        m_app.raise(h);
        write("launch " + stamp() + " " + std::to_string(h.newLaunch->unixSeconds()) + "\n");
    }

    // "row NS N TEXT" for a row's count, "color NS N panel|count &HBBGGRR" for its colours.
    void rowChanged(orvane::Control& control, orvane::Prop what) {
        const std::string n = std::to_string(control.index());
        if (what == orvane::Prop::Caption && control.kind() == orvane::Kind::Label) {
            m_pending += "row ";
            appendNumber(nowNs());
            m_pending += ' ';
            m_pending += n;
            m_pending += ' ';
            m_pending += static_cast<orvane::Label&>(control).caption();
            write("\n");
        } else if (what == orvane::Prop::BackColor) {
            char color[16];
            std::snprintf(color, sizeof color, "&H%08X", unsigned(control.backColor()));
            const char* part = control.kind() == orvane::Kind::Label ? "count" : "panel";
            write("color " + stamp() + " " + n + " " + part + " " + color + "\n");
        }
    }

    static std::int64_t nowNs() {
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
    }
    void appendNumber(std::int64_t v) {
        char digits[24];
        const char* end = std::to_chars(digits, digits + sizeof digits, v).ptr;
        m_pending.append(digits, std::size_t(end - digits));
    }
    static std::string stamp() {
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        return std::to_string(std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec);
    }
    void write(const std::string& line) {
        m_pending += line;
        // Should the label stop painting for a long while, the lines go out anyway.
        if (m_pending.size() > 65536)
            flush();
    }
    void flush() {
        // Whole lines a write, so that the lines of a run that is stopped stay whole.
        if (!m_pending.empty() && ::write(m_fd, m_pending.data(), m_pending.size()) < 0)
            return;
        m_pending.clear();
    }

    int m_fd;
    orvane::App& m_app;
    orvane::QtView& m_view;
    Scene m_scene;
    orvane::Label* m_seconds = nullptr;
    orvane::Label* m_presentClock = nullptr;
    orvane::CommandButton* m_holdButton = nullptr;
    QObject* m_presentWidget = nullptr;
    bool m_boxTold = false;
    std::vector<std::pair<std::string, const orvane::Timer*>> m_timers;
    std::string m_pending;
};

} // namespace

int main(int argc, char** argv) {
    std::unique_ptr<BenchProbe> probe;
    orvane::ProgramHooks hooks;
    hooks.started = [&probe](orvane::App& app, orvane::QtView& view) {
        const char* trace = std::getenv("ORVANE_BENCH_TRACE");
        if (!trace)
            return;
        const int fd = ::open(trace, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return;
        probe = std::make_unique<BenchProbe>(fd, app, view);
        probe->setUpScene();
    };
    return orvane::runProgram(argc, argv, hooks);
}
