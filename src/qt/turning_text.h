// Draws a label's one-line text as QLabel draws it, keeping the glyphs laid out for it.
//
// A dozen labels of the count and the board take a new text every second, and a text laid out
// by QLabel is shaped and laid out again at every paint. Laid out once, a text that differs from
// the last only in its digits is drawn with the same glyphs in the same places, the digits'
// glyphs swapped: only where the face's digits are all as wide as each other and nothing in the
// text is kerned, so that the pixels are those QLabel would paint.

#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>

#include <array>
#include <optional>
#include <utility>

class QLabel;
class QPainter;

namespace orvane {

class TurningText {
  public:
    // At a paint of LABEL: whether its text as it stands can be drawn from here, laid out or
    // its digits swapped in now; where not, QLabel draws it. The second text in a row of the
    // same shape (digits aside) is laid out, the ones after it swap digits. All of it is done
    // at the paint, after the round that set the texts, never in it.
    bool prepare(const QLabel& label);
    // Draws LABEL's text with PAINTER (on the label), once prepared: the glyphs whose ink may
    // reach into AREA, the part of the label being painted.
    void draw(QPainter& painter, const QLabel& label, const QRect& area) const;

    // Where on LABEL the text drawn last (OLD) and NOW differ, when NOW is drawn by swapping
    // digits: the changed glyphs' span, with room for ink beyond their advances, over the
    // digits' ink band with the same room where it stays inside the label's contents, else
    // over the label's height.
    // None when the whole label must be painted again.
    std::optional<QRect> changedArea(const QLabel& label, const QString& old,
                                     const QString& now) const;

    // TEXT's shape: every digit made a 0.
    static QString pattern(const QString& text);
    // Whether TEXT has the shape SHAPE (pattern(TEXT) == SHAPE), worked out without a copy.
    static bool hasPattern(const QString& text, const QString& shape);

    // Whether the last new text prepared was one of digits swapped into the glyphs laid out.
    bool swapped() const { return m_swapped; }

  private:
    struct Key {
        QRect box;
        QFont font;
        int alignment = 0;
        int indent = 0;
        int margin = 0;
        int direction = 0;
        bool operator==(const Key&) const = default;
    };
    static bool drawable(const QLabel& label);
    Key keyOf(const QLabel& label) const;
    void layOut(const QLabel& label, const QString& text);
    void swapDigits(const QString& text);

    Key m_key;
    QString m_text;
    QString m_pattern;
    QString m_lastPattern;
    QGlyphRun m_run;
    QPointF m_origin; // the line's top left
    QList<QPointF> m_advances; // of the glyphs laid out
    // The band from the top of the highest digit's ink to the bottom of the lowest's.
    double m_digitInkTop = 0;
    double m_digitInkBottom = 0;
    std::array<quint32, 10> m_digits{};
    // A digit's advance, and the room left for ink beyond a glyph's advance.
    double m_digitAdvance = 0;
    double m_inkMargin = 0;
    // The shape and key a layout last failed for (a text that wraps, say): not tried again.
    std::optional<std::pair<Key, QString>> m_failed;
    bool m_laidOut = false;
    bool m_turnable = false;
    bool m_swapped = false;
};

} // namespace orvane
