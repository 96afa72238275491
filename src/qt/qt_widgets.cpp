#include "qt/qt_widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QMoveEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRadialGradient>
#include <QStyle>

#include <algorithm>

namespace orvane {

QColor toQColor(Color c) {
    if (c & 0x80000000u) {
        // The system colours the windows use, by their index, mapped onto the palette.
        const QPalette pal = QApplication::palette();
        switch (c & 0xFFu) {
        case 0x05:
            return pal.color(QPalette::Base);
        case 0x08:
            return pal.color(QPalette::Text);
        case 0x0D:
            return pal.color(QPalette::Highlight);
        case 0x0E:
            return pal.color(QPalette::HighlightedText);
        case 0x10:
            return pal.color(QPalette::Dark);
        case 0x11:
            return pal.color(QPalette::Disabled, QPalette::Text);
        case 0x12:
            return pal.color(QPalette::ButtonText);
        case 0x14:
            return pal.color(QPalette::Light);
        case 0x17:
            return pal.color(QPalette::ToolTipText);
        case 0x18:
            return pal.color(QPalette::ToolTipBase);
        case 0x0F:
            return pal.color(QPalette::Button);
        default:
            return pal.color(QPalette::Window);
        }
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QFont toQFont(const Font& f, double scale) {
    QFont font = QApplication::font();
    if (!f.family.empty())
        font.setFamily(qstr(f.family));
    if (f.size > 0)
        font.setPointSizeF(f.size * scale);
    font.setBold(f.bold);
    return font;
}

void useDefaultFont() {
    const QString face = QStringLiteral("DejaVu Sans");
    if (!QFontDatabase::families().contains(face))
        return;
    QFont font = QApplication::font();
    font.setFamily(face);
    QApplication::setFont(font);
}

void FormWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (onCloseRequest)
        onCloseRequest();
}

void FormWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (event->spontaneous() && onMoved)
        onMoved();
}

FrameWidget::FrameWidget(QWidget* parent) : QWidget(parent) {}

void FrameWidget::setTitle(const QString& title) {
    if (title == m_title)
        return;
    m_title = title;
    update();
}

void FrameWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics metrics(font());
    // The border runs through the middle of the caption's line, etched into the frame's own
    // colour: a shadow line with a lit line beside it.
    const int lineY = m_title.isEmpty() ? 0 : metrics.height() / 2;
    const QRect r = rect().adjusted(0, lineY, -1, -1);
    const QColor back = palette().color(backgroundRole());
    p.setPen(back.darker(150));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(back.lightness() > 200 ? QColor(Qt::white) : back.lighter(140));
    p.drawRect(r.adjusted(1, 1, 0, 0));
    if (m_title.isEmpty())
        return;
    const int indent = metrics.averageCharWidth();
    const int gap = std::max(2, indent / 2);
    const QRect caption(indent, 0, metrics.size(Qt::TextShowMnemonic, m_title).width() + 2 * gap,
                        metrics.height());
    p.fillRect(caption, back);
    style()->drawItemText(&p, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), m_title, QPalette::WindowText);
}

ShapeWidget::ShapeWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeWidget::setShape(ShapeType shape, QColor fill) {
    if (shape == m_shape && fill == m_fill)
        return;
    m_shape = shape;
    m_fill = fill;
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(m_fill);
    QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (m_shape == ShapeType::Circle || m_shape == ShapeType::Square) {
        const qreal side = std::min(r.width(), r.height());
        r = QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    }
    switch (m_shape) {
    case ShapeType::Circle:
    case ShapeType::Oval:
        p.drawEllipse(r);
        break;
    case ShapeType::RoundedRectangle: {
        const qreal radius = std::min(r.width(), r.height()) / 6;
        p.drawRoundedRect(r, radius, radius);
        break;
    }
    case ShapeType::Rectangle:
    case ShapeType::Square:
        p.drawRect(r);
        break;
    }
}

namespace {

// A rocket climbing through a night sky in a round badge.
void paintLogo(QPainter& p, qreal side) {
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(side / 2, side / 2);
    const qreal r = side / 2 - side * 0.03;

    QRadialGradient sky(c, r, QPointF(c.x() - r * 0.3, c.y() - r * 0.3));
    sky.setColorAt(0, QColor(0x2b, 0x4c, 0x8c));
    sky.setColorAt(1, QColor(0x0b, 0x16, 0x33));
    p.setPen(QPen(QColor(0xd8, 0xdd, 0xe8), side * 0.03));
    p.setBrush(sky);
    p.drawEllipse(c, r, r);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 200));
    const QPointF stars[] = {{0.28, 0.30}, {0.70, 0.22}, {0.78, 0.58}, {0.22, 0.62},
                             {0.40, 0.18}, {0.62, 0.78}, {0.33, 0.80}};
    for (const QPointF& s : stars)
        p.drawEllipse(QPointF(s.x() * side, s.y() * side), side * 0.012, side * 0.012);

    // The rocket is drawn pointing up, then turned to climb to the upper right.
    p.save();
    p.translate(c);
    p.rotate(35);
    p.scale(side / 100, side / 100);

    QPainterPath flame;
    flame.moveTo(-6, 22);
    flame.quadTo(0, 44, 6, 22);
    flame.closeSubpath();
    p.setBrush(QColor(0xff, 0xa5, 0x2e));
    p.drawPath(flame);

    QPainterPath fins;
    fins.moveTo(-8, 8);
    fins.lineTo(-17, 24);
    fins.lineTo(-8, 20);
    fins.closeSubpath();
    fins.moveTo(8, 8);
    fins.lineTo(17, 24);
    fins.lineTo(8, 20);
    fins.closeSubpath();
    p.setBrush(QColor(0xd9, 0x3b, 0x3b));
    p.drawPath(fins);

    QPainterPath body;
    body.moveTo(0, -34);
    body.cubicTo(12, -22, 10, 8, 8, 22);
    body.lineTo(-8, 22);
    body.cubicTo(-10, 8, -12, -22, 0, -34);
    p.setBrush(QColor(0xf2, 0xf4, 0xf8));
    p.drawPath(body);

    p.setBrush(QColor(0x3a, 0x8f, 0xd9));
    p.setPen(QPen(QColor(0x1c, 0x2b, 0x4a), 1.5));
    p.drawEllipse(QPointF(0, -10), 4.5, 4.5);
    p.restore();
}

} // namespace

QPixmap drawImage(const std::string& resource, QSize size, qreal devicePixelRatio) {
    if (size.isEmpty())
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    if (resource == "logo") {
        QPainter p(&pixmap);
        const qreal side = std::min(size.width(), size.height());
        p.translate((size.width() - side) / 2, (size.height() - side) / 2);
        paintLogo(p, side);
    }
    return pixmap;
}

} // namespace orvane
