#include "qt/qt_displays.h"

#include "qt/qt_view.h"

#include <QGuiApplication>
#include <QScreen>

namespace orvane {

std::vector<Monitor> QtDisplays::monitors() const {
    std::vector<Monitor> list;
    const QScreen* primary = QGuiApplication::primaryScreen();
    auto add = [&](const QScreen* screen) {
        const QRect g = screen->geometry();
        QString model = screen->manufacturer();
        if (!screen->model().isEmpty())
            model += (model.isEmpty() ? QString() : QStringLiteral(" ")) + screen->model();
        Monitor m;
        m.name = screen->name().toStdString();
        m.model = model.toStdString();
        m.serial = screen->serialNumber().toStdString();
        m.left = m_view.twips(g.x());
        m.top = m_view.twips(g.y());
        m.width = m_view.twips(g.x() + g.width()) - m.left;
        m.height = m_view.twips(g.y() + g.height()) - m.top;
        m.pixelWidth = g.width();
        m.pixelHeight = g.height();
        list.push_back(std::move(m));
    };
    if (primary)
        add(primary);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            add(screen);
    if (list.empty())
        return OneMonitor().monitors();
    return list;
}

} // namespace orvane
