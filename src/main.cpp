// Orvane: a launch clock for mission simulations. Builds the real services and the Qt view,
// then starts the program as its start-up routine says.

#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"
#include "qt/command_line.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_services.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"
#include "shell/basOrvaneLoad.h"
#include "version.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

// What the benchmark (bench/) measures, switched on only by ORVANE_BENCH_TRACE naming a file:
// it sets up the benchmark's scene (a launch two hours ahead, ten events, both windows shown)
// and writes a line when the seconds label takes a new text and when that label paints, with
// the wall clock's time, and the ticks of every timer so far. Without the variable none of
// this exists, and even with it no tick does anything different: the probe only listens.
class BenchProbe : public QObject, public orvane::ControlObserver {
  public:
    BenchProbe(int fd, orvane::App& app, orvane::QtView& view)
        : m_fd(fd), m_app(app), m_view(view) {}
    ~BenchProbe() override { ::close(m_fd); }

    void setUpScene() {
        orvane::frmOrvane& main = m_app.frmOrvane();
        orvane::frmEventTimers& board = m_app.frmEventTimers();
        const orvane::DateTime launch = m_app.services().clock.now().addSeconds(2 * 3600);
        main.lblTarget.setCaption(orvane::formatDate(launch, "mmmm dd, yyyy   h:mm:ss AM/PM"));
        // Six events still ahead and four already passed, one of which passes a quarter of a
        // minute into the run.
        struct Event {
            const char* mark;
            int secs;
        };
        const Event events[10] = {{"-", 600},  {"-", 3600},  {"-", 5400}, {"-", 7185},
                                  {"-", 7230}, {"-", 10800}, {"-", 9000}, {"+", 600},
                                  {"+", 3600}, {"+", 86400}};
        for (int n = 0; n < 10; ++n) {
            board.EventData().setSecs(n, events[n].secs);
            board.EventData().setPlus(n, events[n].mark);
            board.pctEvent[n].setTag(events[n].mark);
            board.lblName[n].setCaption("Event " + std::to_string(n + 1));
            board.lblTag[n].setTag("");
        }
        board.tmrToolTips.setEnabled(true);
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
        if (QWidget* w = m_view.widget(*m_seconds))
            w->installEventFilter(this);
    }

    void controlChanged(orvane::Control& control, orvane::Prop what) override {
        m_view.controlChanged(control, what);
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
        if (event->type() == QEvent::Paint)
            write("paint " + stamp() + " " + static_cast<QLabel*>(watched)->text().toStdString() +
                  "\n");
        return false;
    }

  private:
    static std::string stamp() {
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        return std::to_string(std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec);
    }
    void write(const std::string& line) {
        // One line a write, so that the lines of a run that is stopped stay whole.
        if (::write(m_fd, line.data(), line.size()) < 0)
            return;
    }

    int m_fd;
    orvane::App& m_app;
    orvane::QtView& m_view;
    orvane::Label* m_seconds = nullptr;
    std::vector<std::pair<std::string, const orvane::Timer*>> m_timers;
};

} // namespace

int main(int argc, char** argv) {
    orvane::AppInfo info;
    info.title = "Orvane";
    info.exeName = QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName().toStdString();
    info.major = orvane::version::major;
    info.minor = orvane::version::minor;
    info.revision = orvane::version::revision;
    info.arguments.assign(argv + 1, argv + argc);
    // The command line is read before anything touches a display, so --help, --version and a
    // mistyped option work where there is none.
    const orvane::CommandLineOutcome command =
        orvane::readCommandLine(info.arguments, QDir::currentPath().toStdString(), info);
    if (!command.start) {
        std::cout << command.output;
        if (!command.error.empty())
            std::cerr << command.error << '\n';
        return command.exitStatus;
    }

    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(orvane::version::major)
                                            .arg(orvane::version::minor)
                                            .arg(orvane::version::revision));
    // The program ends only through its own exit path, never because a window was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    orvane::useDefaultFont();
    QApplication::setWindowIcon(QIcon(orvane::drawImage("logo", QSize(64, 64), 1.0)));

    // The benchmark compares the timer policy with the intervals read literally.
    const char* timing = std::getenv("ORVANE_SCHEDULER");
    orvane::QtClock clock;
    orvane::QtScheduler scheduler(timing && std::string_view(timing) == "literal"
                                      ? orvane::QtScheduler::Timing::Literal
                                      : orvane::QtScheduler::Timing::Policy);
    orvane::QtDialogs dialogs;
    orvane::QtSettings settings;
    orvane::QtHelp help;
    orvane::QtProcess process;

    info.exeName =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    info.programDir = orvane::programFolder(QCoreApplication::applicationDirPath().toStdString());

    orvane::Services services{clock, scheduler, dialogs, settings, help, process, info};
    orvane::App app(services);
    orvane::QtView view(app);
    dialogs.setView(&view);
    app.setObserver(&view);

    std::unique_ptr<BenchProbe> probe;
    if (const char* trace = std::getenv("ORVANE_BENCH_TRACE")) {
        const int fd = ::open(trace, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0)
            probe = std::make_unique<BenchProbe>(fd, app, view);
    }

    // Start-up is the program's first event: the count shows before the first paint.
    scheduler.deliver([&] {
        orvane::Main(app);
        if (probe && !app.ended())
            probe->setUpScene();
    });
    if (app.ended()) {
        // Start-up ends the program only when another copy is running.
        if (!info.startFile.empty())
            std::cerr << info.exeName << ": " << info.startFile
                      << " was not opened: Orvane is already running on this computer.\n";
        return 0;
    }
    return QApplication::exec();
}
