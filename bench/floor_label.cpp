// orvane-floor-label: the machine's floor for showing a second. The smallest Qt Widgets
// program that shows one label and sets its text at each whole second of the wall clock (woken
// by a timer on CLOCK_REALTIME, as the program is), then paints it at once. It writes to the
// file ORVANE_BENCH_TRACE names, with the wall clock's time, "set NS SECOND TEXT" when the
// label takes the text of SECOND and "paint NS TEXT" when the label paints, as the program's
// probe does, and like it writes its lines only once the label has painted. Runs until it is
// stopped.
//
//   orvane-floor-label [--size WxH --fit WxH [--font FAMILY] [--bold]]
//
// --size makes the label a frameless window of WxH pixels at the screen's corner (the present
// window's floor: a label filling the screen); --fit then shows the time of day as HH:MM:SS in
// the largest face of FAMILY whose ink of "00:00:00" fits a box of WxH, as the present window
// sizes its count, so that its digits are as large as the program's.

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QSocketNotifier>

#include <fcntl.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
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

bool fitted = false;

QString secondText(std::int64_t second) {
    if (fitted) {
        const int s = int(second % 86400);
        return QString::asprintf("%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
    }
    return QString::asprintf("%02d", int(second % 60));
}

std::optional<QSize> sizeArgument(const char* text) {
    int w = 0, h = 0;
    char rest = 0;
    if (!text || std::sscanf(text, "%dx%d%c", &w, &h, &rest) != 2 || w < 1 || h < 1)
        return std::nullopt;
    return QSize(w, h);
}

// The largest pixel size of FONT whose ink of "00:00:00" fits BOX: the present window's rule.
int fittingPixelSize(QFont font, const QSize& box) {
    const QString pattern = QStringLiteral("00:00:00");
    constexpr int reference = 256;
    font.setPixelSize(reference);
    const QRectF ink = QFontMetricsF(font).tightBoundingRect(pattern);
    int size = 1;
    if (ink.width() > 0 && ink.height() > 0)
        size = std::max(1, int(std::floor(reference * std::min(box.width() / ink.width(),
                                                               box.height() / ink.height()))));
    for (; size > 1; --size) {
        font.setPixelSize(size);
        const QRectF at = QFontMetricsF(font).tightBoundingRect(pattern);
        if (at.width() <= box.width() && at.height() <= box.height())
            break;
    }
    return size;
}

int usage() {
    std::fprintf(stderr, "usage: orvane-floor-label [--size WxH --fit WxH [--font FAMILY] "
                         "[--bold]]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::optional<QSize> size, fit;
    QString family;
    bool bold = false;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(a, "--size") == 0 && (size = sizeArgument(value)))
            ++i;
        else if (std::strcmp(a, "--fit") == 0 && (fit = sizeArgument(value)))
            ++i;
        else if (std::strcmp(a, "--font") == 0 && value)
            family = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(a, "--bold") == 0)
            bold = true;
        else if (std::strncmp(a, "-", 1) == 0 && std::strcmp(a, "-platform") != 0)
            return usage();
    }
    if (fit && !size)
        return usage();
    fitted = fit.has_value();
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
    if (size) {
        label.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        label.setGeometry(QRect(QPoint(0, 0), *size));
        label.setAlignment(Qt::AlignCenter);
    }
    if (fit) {
        QFont font = label.font();
        if (!family.isEmpty())
            font.setFamily(family);
        font.setBold(bold);
        font.setPixelSize(fittingPixelSize(font, *fit));
        label.setFont(font);
    }
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
