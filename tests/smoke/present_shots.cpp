// The count presented on the whole X screen, as a room sees it: counting with days to go,
// held, and after liftoff, each a screenshot, and each measured from its pixels: the hours,
// minutes and seconds span 85 % of the screen's width or 60 % of its height.
//   orvane_present_shots OUTPUT_FOLDER NAME      (run inside scripts/xvfb-run-test)

#include "app.h"
#include "clock/frmOrvane.h"
#include "clock/frmPresent.h"
#include "doubles/fake_services.h"
#include "qt/qt_displays.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"
#include "shell/basOrvaneLoad.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace orvane {
namespace {

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "present: FAILED: %s\n", why.c_str());
    std::exit(1);
}

void settle() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

AppInfo info() {
    AppInfo i;
    i.programDir = QDir::tempPath().toStdString();
    return i;
}

class Shots {
  public:
    Shots(QString out, QString name)
        : m_out(std::move(out)), m_name(std::move(name)), world(info()), app(world.services),
          view(app), displays(view) {
        app.setObserver(&view);
        app.setDisplays(&displays);
    }
    ~Shots() { app.setObserver(nullptr); }

    void run() {
        world.clock.set(*DateTime::fromParts(2001, 5, 1, 8, 15, 20));
        world.scheduler.deliver([this] { Main(app); });
        advance(3000);
        frmOrvane& main = app.frmOrvane();
        deliver([&] { main.control<MenuItem>("mnuRtPresent").click(); });
        shot("counting");
        main.control<Label>("lblTarget").setCaption("May 1, 2001   10:30:00 AM");
        deliver([&] { main.control<MenuItem>("mnuHoldEnable").click(); });
        deliver([&] { main.control<CommandButton>("cmdHoldResume").click(); });
        advance(2000);
        shot("held");
        deliver([&] { main.control<CommandButton>("cmdHoldResume").click(); });
        world.clock.set(*DateTime::fromParts(2001, 5, 1, 11, 45, 9));
        advance(1000);
        shot("after-liftoff");
        if (world.dialogs.failure())
            fail(*world.dialogs.failure());
    }

  private:
    void deliver(const std::function<void()>& event) {
        world.scheduler.deliver(event);
        settle();
    }
    void advance(int ms) {
        world.scheduler.advance(ms);
        settle();
    }

    void shot(const char* state) {
        Form* present = app.loadedForm("frmPresent");
        QWidget* top = present ? view.window(*present) : nullptr;
        if (!top || !top->isVisible())
            fail(std::string("the present window is not on the screen when ") + state);
        const QDeadlineTimer deadline(5000);
        while (!top->windowHandle()->isExposed() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
        const QScreen* screen = top->screen();
        if (!screen || top->geometry() != screen->geometry())
            fail(std::string("the present window does not cover the screen when ") + state);
        const QImage image = top->grab().toImage();
        const QString file = QStringLiteral("%1/present-%2-%3.png").arg(m_out, m_name, state);
        if (!image.save(file))
            fail("could not save " + file.toStdString());

        // The ink of the hours, minutes and seconds, in the screen's own pixels.
        auto* clock = top->findChild<QLabel*>(QStringLiteral("lblClock"));
        if (!clock)
            fail("no lblClock");
        const qreal ratio = image.devicePixelRatio();
        const QRect area(QPointF(clock->mapTo(top, QPoint(0, 0))).toPoint() * ratio,
                         clock->size() * ratio);
        int left = image.width(), right = -1, topInk = image.height(), bottom = -1;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(image.pixel(x, y)) < 100) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    topInk = std::min(topInk, y);
                    bottom = std::max(bottom, y);
                }
        if (right < 0)
            fail(std::string("no digits drawn when ") + state);
        const double wide = double(right - left + 1) / image.width();
        const double tall = double(bottom - topInk + 1) / image.height();
        std::printf("present: %s %s: %dx%d, digits %.1f %% of the width, %.1f %% of the height\n",
                    m_name.toUtf8().constData(), state, image.width(), image.height(), wide * 100,
                    tall * 100);
        if (wide < 0.85 && tall < 0.60)
            fail(std::string("the digits are too small when ") + state);
    }

    QString m_out;
    QString m_name;
    FakeWorld world;
    App app;
    QtView view;
    QtDisplays displays;
};

} // namespace
} // namespace orvane

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER NAME\n", argv[0]);
        return 2;
    }
    QApplication qapp(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    orvane::useDefaultFont();
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    orvane::Shots(out, QString::fromLocal8Bit(argv[2])).run();
    return 0;
}
