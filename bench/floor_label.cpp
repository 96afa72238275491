// orvane-floor-label: the machine's floor for showing a second. The smallest Qt Widgets
// program that shows one label and sets its text at each whole second of the wall clock (woken
// by a timer on CLOCK_REALTIME, as the program is), then paints it at once. It writes to the
// file ORVANE_BENCH_TRACE names, with the wall clock's time, "set NS SECOND TEXT" when the
// label takes the text of SECOND and "paint NS TEXT" when the label paints, as the program's
// probe does, and like it writes its lines only once the label has painted. Runs until it is
// stopped.

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

int traceFd = -1;
std::string pending;

std::int64_t nowNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

void flush() {
    if (::write(traceFd, pending.data(), pending.size()) < 0)
        return;
    pending.clear();
}

class PaintTrace : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            pending += "paint " + std::to_string(nowNs()) + " " +
                       static_cast<QLabel*>(watched)->text().toStdString() + "\n";
            flush();
        }
        return false;
    }
};

bool armForNextSecond(int fd) {
    itimerspec at{};
    at.it_value.tv_sec = time_t(nowNs() / 1'000'000'000 + 1);
    return timerfd_settime(fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &at, nullptr) == 0;
}

QString secondText(std::int64_t second) {
    return QString::asprintf("%02d", int(second % 60));
}

} // namespace

int main(int argc, char** argv) {
    const char* path = std::getenv("ORVANE_BENCH_TRACE");
    if (!path) {
        std::fprintf(stderr, "orvane-floor-label: ORVANE_BENCH_TRACE names no file\n");
        return 2;
    }
    traceFd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (traceFd < 0 || fd < 0) {
        std::perror("orvane-floor-label");
        return 1;
    }
    QApplication app(argc, argv);
    QLabel label(secondText(nowNs() / 1'000'000'000));
    PaintTrace paints;
    label.installEventFilter(&paints);
    label.show();

    QSocketNotifier wake(fd, QSocketNotifier::Read);
    QObject::connect(&wake, &QSocketNotifier::activated, &label, [&] {
        std::uint64_t expirations = 0;
        const ssize_t n = ::read(fd, &expirations, sizeof expirations);
        if (n > 0) {
            const std::int64_t second = nowNs() / 1'000'000'000;
            label.setText(secondText(second));
            pending += "set " + std::to_string(nowNs()) + " " + std::to_string(second) + " " +
                       label.text().toStdString() + "\n";
            label.repaint();
        }
        armForNextSecond(fd);
    });
    if (!armForNextSecond(fd)) {
        std::perror("orvane-floor-label");
        return 1;
    }
    return QApplication::exec();
}
