// Draws the program's icon as a PNG of the given size with the painter the splash uses, so
// the icons in the menu and the rocket on the splash are one picture.
//   orvane_render_icon SIZE OUTPUT.png

#include "qt/qt_widgets.h"

#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIZE OUTPUT.png\n", argv[0]);
        return 2;
    }
    const int side = std::atoi(argv[1]);
    if (side < 16 || side > 1024) {
        std::fprintf(stderr, "%s: SIZE is from 16 to 1024 pixels\n", argv[0]);
        return 2;
    }
    // No display is needed to paint into an image.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QPixmap icon = orvane::drawImage("logo", QSize(side, side), 1.0);
    if (icon.isNull() || !icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "%s: could not write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
