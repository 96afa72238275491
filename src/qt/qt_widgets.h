#pragma once

// Small pieces the view builds windows from: colour and font conversion, the top-level
// window, the frame, the painted shape and the drawn logo.

#include "toolkit/controls.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QCloseEvent;
class QMoveEvent;
class QPaintEvent;

namespace orvane {

inline QString qstr(const std::string& s) {
    return QString::fromStdString(s);
}

// A colour as the windows store it (&HBBGGRR, or a system colour with the top bit set).
QColor toQColor(Color c);
// A control's font, its size times SCALE; an empty family is the application's default face.
QFont toQFont(const Font& f, double scale = 1.0);
// Makes DejaVu Sans the application's face when it is installed, so the windows look the
// same on every machine that has it.
void useDefaultFont();

// A form's top-level window. The window manager's close button only asks: the form decides.
class FormWindow : public QWidget {
  public:
    FormWindow(Qt::WindowFlags flags) : QWidget(nullptr, flags) {}
    std::function<void()> onCloseRequest;
    // The window system moved the window (the user dragged it, or the window manager placed
    // it); the program's own moves are not told.
    std::function<void()> onMoved;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
};

// A frame: an etched border around its controls, its caption set into the top line. The whole
// frame is filled with its own colour, so the caption stands on that colour rather than on a
// band of the window's.
class FrameWidget : public QWidget {
  public:
    explicit FrameWidget(QWidget* parent);
    const QString& title() const { return m_title; }
    void setTitle(const QString& title);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString m_title;
};

// A shape drawn in its fill colour. It takes no mouse input: a click on it belongs to what
// lies underneath, as with a shape drawn straight onto a window.
class ShapeWidget : public QWidget {
  public:
    explicit ShapeWidget(QWidget* parent);
    void setShape(ShapeType shape, QColor fill);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ShapeType m_shape = ShapeType::Circle;
    QColor m_fill;
};

// The picture for an image resource ("logo"), drawn in code at the given size.
QPixmap drawImage(const std::string& resource, QSize size, qreal devicePixelRatio);

} // namespace orvane
