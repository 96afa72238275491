// The program as the benchmark runs it: the same start-up, plus a probe that sets up the
// benchmark's scene (a launch two hours ahead, ten events, both windows shown) and writes a line
// to the file ORVANE_BENCH_TRACE, with the wall clock's time, when the seconds label takes a new
// text and when that label paints (with the ticks of every timer so far), when a board row's
// count takes a new text, and when a row's panel or count changes colour. The probe only
// listens: no tick does anything different. It keeps its lines until the seconds label has
// painted and writes them then, at once, so that its own writing falls outside what it times.

#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"
#include "qt/qt_program.h"
#include "qt/qt_view.h"

#include <QEvent>
#include <QLabel>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

class BenchProbe : public QObject, public orvane::ControlObserver {
  public:
    BenchProbe(int fd, orvane::App& app, orvane::QtView& view)
        : m_fd(fd), m_app(app), m_view(view) {}
    ~BenchProbe() override {
        flush();
        ::close(m_fd);
    }

    void setUpScene() {
        orvane::frmOrvane& main = m_app.frmOrvane();
        orvane::frmEventTimers& board = m_app.frmEventTimers();
        const orvane::DateTime launch = m_app.services().clock.now().addSeconds(2 * 3600);
        main.lblTarget.setCaption(orvane::formatDate(launch, "mmmm dd, yyyy   h:mm:ss AM/PM"));
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
        for (int n = 0; n < 10; ++n)
            board.DefineEvent(n, "Event " + std::to_string(n + 1), events[n].sign, events[n].secs);
        main.cmdShowTimers.click();

        // The two windows live for the whole run, so their timers are listed once.
        for (orvane::Form* form :
             {static_cast<orvane::Form*>(&main), static_cast<orvane::Form*>(&board)})
            for (orvane::Control* c : form->controls())
                if (c->kind() == orvane::Kind::Timer)
                    m_timers.emplace_back(form->name() + "." + c->name(),
                                          static_cast<orvane::Timer*>(c));
        m_seconds = &main.lblSeconds;
        m_seconds->setObserver(this);
        for (int n = 0; n < 10; ++n) {
            board.lblTime[n].setObserver(this);
            board.pctEvent[n].setObserver(this);
        }
        if (QWidget* w = m_view.widget(*m_seconds))
            w->installEventFilter(this);
    }

    void controlChanged(orvane::Control& control, orvane::Prop what) override {
        m_view.controlChanged(control, what);
        if (&control != m_seconds) {
            rowChanged(control, what);
            return;
        }
        if (what != orvane::Prop::Caption)
            return;
        const orvane::frmOrvane& main = m_app.frmOrvane();
        write("flip " + stamp() + " " + main.lblTMinus.caption() + " " + main.lblDays.caption() +
              " " + main.lblHours.caption() + " " + main.lblMinutes.caption() + " " +
              main.lblSeconds.caption() + "\n");
        std::string ticks = "ticks " + stamp();
        for (const auto& [name, timer] : m_timers)
            ticks += " " + name + "=" + std::to_string(timer->ticks());
        write(ticks + "\n");
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            write("paint " + stamp() + " " + static_cast<QLabel*>(watched)->text().toStdString() +
                  "\n");
            flush();
        }
        return false;
    }

  private:
    // "row NS N TEXT" for a row's count, "color NS N panel|count &HBBGGRR" for its colours.
    void rowChanged(orvane::Control& control, orvane::Prop what) {
        const std::string n = std::to_string(control.index());
        if (what == orvane::Prop::Caption && control.kind() == orvane::Kind::Label) {
            write("row " + stamp() + " " + n + " " +
                  static_cast<orvane::Label&>(control).caption() + "\n");
        } else if (what == orvane::Prop::BackColor) {
            char color[16];
            std::snprintf(color, sizeof color, "&H%08X", unsigned(control.backColor()));
            const char* part = control.kind() == orvane::Kind::Label ? "count" : "panel";
            write("color " + stamp() + " " + n + " " + part + " " + color + "\n");
        }
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
    orvane::Label* m_seconds = nullptr;
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
