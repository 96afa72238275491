#pragma once

// The label the windows show text in (qt_kind_text.cpp makes one for every label and status
// bar panel).

#include "qt/turning_text.h"

#include <QAccessible>
#include <QFont>
#include <QFontMetricsF>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace orvane {

// A label whose text may be drawn as large as its box allows. The size is worked out for the
// text with every digit made a 0, and the text is placed where that pattern's ink would stand,
// so in a face whose digits are all as wide as each other no digit moves as the text changes.
// Drawn at its own size, a text that turns second by second is drawn from the glyphs laid out
// for it before, its digits swapped (TurningText).
class FitLabel final : public QLabel {
  public:
    using QLabel::QLabel;

    // A label that is not transparent fills its box with its back colour. It fills it in its
    // own paint, with the painter that draws the text, rather than leaving Qt to fill it with
    // a painter of its own first: a new painter on the window's surface costs about as much
    // as drawing the digits that turned.
    void setFilled(bool filled) {
        setAutoFillBackground(false);
        setAttribute(Qt::WA_OpaquePaintEvent, filled);
        if (filled == m_filled)
            return;
        m_filled = filled;
        update();
    }

    void setFit(bool fit) {
        if (fit == m_fit)
            return;
        m_fit = fit;
        m_pattern.clear();
        update();
    }

    // Sets the text. A text whose digits changed but not its pattern repaints only the
    // characters that changed: the present window's seconds then send a digit or two to the
    // screen each second instead of the whole line, which on a 4K screen without shared
    // memory is some 20 MB a second through the X connection; and the main count's large
    // glyphs, which the painter fills as outlines, are filled for the turned digits alone.
    //
    // A label scrolled out of its window's sight (a row of the board below its last place)
    // keeps its new text until it is painted again, which Qt does when the label comes into
    // sight: setting a text costs as much as the board's arithmetic for its row. While
    // assistive technology listens, every label takes its text at once, as it must be read.
    void setShownText(const QString& text) {
        if (!QAccessible::isActive() && outOfSight()) {
            if (text == QLabel::text())
                m_unseen.reset();
            else
                m_unseen = text;
            return;
        }
        m_unseen.reset();
        if (text == QLabel::text())
            return;
        const QString old = QLabel::text();
        const std::optional<QRect> area =
            m_fit ? changedArea(old, text) : m_turning.changedArea(*this, old, text);
        if (!area) {
            setText(text);
            return;
        }
        // QLabel asks for its whole box to be painted again; keep it from asking.
        setAttribute(Qt::WA_UpdatesDisabled, true);
        setText(text);
        setAttribute(Qt::WA_UpdatesDisabled, false);
        update(*area);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        // Back in sight: the text kept while out of it is the one painted now, which paints
        // what can be seen of the label.
        if (m_unseen) {
            setAttribute(Qt::WA_UpdatesDisabled, true);
            setText(*std::exchange(m_unseen, std::nullopt));
            setAttribute(Qt::WA_UpdatesDisabled, false);
        }
        if (!m_fit) {
            if (!m_turning.prepare(*this)) {
                if (m_filled) {
                    QPainter painter(this);
                    fillBackground(painter, *event);
                }
                QLabel::paintEvent(event);
                return;
            }
            QPainter painter(this);
            fillBackground(painter, *event);
            drawFrame(painter, *event);
            m_turning.draw(painter, *this, event->rect());
            return;
        }
        QPainter painter(this);
        fillBackground(painter, *event);
        drawFrame(painter, *event);
        const QRect box = contentsRect();
        const QString shown = text();
        if (shown.isEmpty() || box.isEmpty())
            return;
        fitPattern(TurningText::pattern(shown), box);
        painter.setFont(m_font);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(origin(box), shown);
    }

  private:
    // Whether the label, shown, lies wholly outside what its window shows of it: outside one
    // of its containers.
    bool outOfSight() const {
        if (!isVisible())
            return false;
        QRect seen = rect();
        for (const QWidget* w = this; !w->isWindow(); w = w->parentWidget()) {
            seen.translate(w->pos());
            seen &= w->parentWidget()->rect();
            if (seen.isEmpty())
                return true;
        }
        return false;
    }

    // As Qt fills a widget that fills its background: the region painted, with the back
    // colour replacing what was there.
    void fillBackground(QPainter& painter, const QPaintEvent& event) const {
        if (!m_filled)
            return;
        const QBrush brush = palette().brush(backgroundRole());
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : event.region())
            painter.fillRect(r, brush);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }

    // A frame is drawn only where there is one, and only when the area painted reaches it:
    // the style's frame drawing is set up in full even for none, and even for digits that
    // turned inside it.
    void drawFrame(QPainter& painter, const QPaintEvent& event) {
        if (frameShape() != QFrame::NoFrame && !contentsRect().contains(event.rect()))
            QFrame::drawFrame(&painter);
    }

    // Where the text's baseline starts, for the face fitted to the box.
    QPointF origin(const QRect& box) const {
        const Qt::Alignment align = alignment();
        double x = box.center().x() + 0.5 - m_ink.center().x();
        if (align & Qt::AlignLeft)
            x = box.left() - m_ink.left();
        else if (align & Qt::AlignRight)
            x = box.left() + box.width() - m_ink.right();
        const double y = box.top() + box.height() / 2.0 - m_ink.center().y();
        return {x, y};
    }

    // The part of the box that changes from OLD to NEW: the span of the characters that
    // differ, in both texts, with a margin for ink beyond a character's advance. None where
    // the whole box must be painted: a new pattern (a new face or place), or nothing fitted
    // yet.
    std::optional<QRect> changedArea(const QString& old, const QString& now) const {
        const QRect box = contentsRect();
        if (m_pattern.isEmpty() || box.size() != m_box || font() != m_base ||
            old.size() != now.size() || old.isEmpty())
            return std::nullopt;
        if (TurningText::pattern(now) != m_pattern)
            return std::nullopt;
        qsizetype first = 0;
        while (old[first] == now[first])
            ++first;
        qsizetype last = now.size() - 1;
        while (old[last] == now[last])
            --last;
        const QFontMetricsF metrics(m_font);
        const double x = origin(box).x();
        double left = x + std::min(metrics.horizontalAdvance(old.left(first)),
                                   metrics.horizontalAdvance(now.left(first)));
        double right = x + std::max(metrics.horizontalAdvance(old.left(last + 1)),
                                    metrics.horizontalAdvance(now.left(last + 1)));
        const double margin = m_font.pixelSize() / 8.0;
        left -= margin;
        right += margin;
        return QRect(QPoint(int(std::floor(left)), box.top()),
                     QPoint(int(std::ceil(right)), box.bottom()))
            .intersected(box);
    }

    // The largest face of the label's family and weight whose ink of PATTERN fits the box.
    void fitPattern(const QString& pattern, const QRect& box) {
        if (pattern == m_pattern && box.size() == m_box && font() == m_base)
            return;
        m_pattern = pattern;
        m_box = box.size();
        m_base = font();
        QFont f = font();
        constexpr int reference = 256;
        f.setPixelSize(reference);
        const QRectF ink = QFontMetricsF(f).tightBoundingRect(pattern);
        int size = 1;
        if (ink.width() > 0 && ink.height() > 0)
            size = std::max(1, int(std::floor(reference * std::min(box.width() / ink.width(),
                                                                   box.height() / ink.height()))));
        for (;;) {
            f.setPixelSize(size);
            m_ink = QFontMetricsF(f).tightBoundingRect(pattern);
            if (size == 1 || (m_ink.width() <= box.width() && m_ink.height() <= box.height()))
                break;
            --size;
        }
        m_font = f;
    }

    bool m_fit = false;
    bool m_filled = false;
    std::optional<QString> m_unseen;
    TurningText m_turning;
    QString m_pattern;
    QSize m_box;
    QFont m_base;
    QFont m_font;
    QRectF m_ink;
};

} // namespace orvane
