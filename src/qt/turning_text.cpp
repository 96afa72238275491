#include "qt/turning_text.h"

#include <QLabel>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QStyle>
#include <QTextLayout>

#include <cmath>
#include <optional>

namespace orvane {

namespace {

// Paints nothing; notes where the first piece of text would stand on its baseline.
class OriginEngine final : public QPaintEngine {
  public:
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF& p, const QTextItem&) override {
        if (!origin)
            origin = p;
        ++items;
    }
    Type type() const override { return QPaintEngine::User; }

    std::optional<QPointF> origin;
    int items = 0;
};

// A surface the size and resolution of a widget, for the style to draw a label's text on to the
// engine above.
class OriginDevice final : public QPaintDevice {
  public:
    explicit OriginDevice(const QWidget& like) : m_like(like) {}
    QPaintEngine* paintEngine() const override { return &m_engine; }
    OriginEngine& engine() { return m_engine; }

  protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
            return m_like.width();
        case PdmHeight:
            return m_like.height();
        case PdmWidthMM:
            return m_like.widthMM();
        case PdmHeightMM:
            return m_like.heightMM();
        case PdmNumColors:
            return m_like.colorCount();
        case PdmDepth:
            return m_like.depth();
        case PdmDpiX:
            return m_like.logicalDpiX();
        case PdmDpiY:
            return m_like.logicalDpiY();
        case PdmPhysicalDpiX:
            return m_like.physicalDpiX();
        case PdmPhysicalDpiY:
            return m_like.physicalDpiY();
        case PdmDevicePixelRatio:
            return int(m_like.devicePixelRatio());
        case PdmDevicePixelRatioScaled:
            return int(m_like.devicePixelRatio() * devicePixelRatioFScale());
        }
        return 0;
    }

  private:
    const QWidget& m_like;
    mutable OriginEngine m_engine;
};

// The label's alignment as QLabel passes it to the style: with word wrapping when on.
int alignmentFlags(const QLabel& label) {
    return int(label.alignment()) | (label.wordWrap() ? int(Qt::TextWordWrap) : 0);
}

} // namespace

bool TurningText::drawable(const QLabel& label) {
    // A label that wraps its words is drawn here while its text stands on one line (the
    // layout finds out).
    // A label holds a text or a picture, never both: a label with a text has no picture.
    if (label.textFormat() != Qt::PlainText || label.buddy() || !label.isEnabled())
        return false;
    const QString text = label.text();
    if (text.isEmpty())
        return false;
    for (QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() > 0x7e)
            return false;
    return true;
}

bool TurningText::hasPattern(const QString& text, const QString& shape) {
    if (text.size() != shape.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] != shape[i] && !(text[i].isDigit() && shape[i] == u'0'))
            return false;
    return true;
}

QString TurningText::pattern(const QString& text) {
    QString p = text;
    for (QChar& ch : p)
        if (ch.isDigit())
            ch = u'0';
    return p;
}

TurningText::Key TurningText::keyOf(const QLabel& label) const {
    return {label.contentsRect(), label.font(),   alignmentFlags(label),
            label.indent(),       label.margin(), int(label.layoutDirection())};
}

// Where QLabel would put the text is learnt from the style, drawing it as QLabel has it drawn
// on a surface that only notes where; the glyphs and their places come from a layout of the
// same text in the same face.
void TurningText::layOut(const QLabel& label, const QString& text) {
    m_laidOut = false;
    m_turnable = false;
    // The box QLabel gives its one line of plain text: inside the frame and the margin, and a
    // framed label without an indent of its own keeps half an x from the frame.
    QRect box = label.contentsRect();
    const int margin = label.margin();
    box.adjust(margin, margin, -margin, -margin);
    const Qt::Alignment align =
        QStyle::visualAlignment(Qt::LeftToRight, Qt::Alignment(alignmentFlags(label)));
    int indent = label.indent();
    if (indent < 0 && label.frameWidth())
        indent = label.fontMetrics().horizontalAdvance(u'x') / 2 - margin;
    if (indent > 0) {
        if (align & Qt::AlignLeft)
            box.setLeft(box.left() + indent);
        if (align & Qt::AlignRight)
            box.setRight(box.right() - indent);
        if (align & Qt::AlignTop)
            box.setTop(box.top() + indent);
        if (align & Qt::AlignBottom)
            box.setBottom(box.bottom() - indent);
    }
    OriginDevice device(label);
    {
        QPainter painter(&device);
        painter.setFont(label.font());
        label.style()->drawItemText(&painter, box, int(align) | Qt::TextForceLeftToRight,
                                    label.palette(), true, text, label.foregroundRole());
    }
    // One piece of text: one line, which a wrapping label's text may not be.
    if (!device.engine().origin || device.engine().items != 1)
        return;

    QTextLayout layout(text, label.font(), &label);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return;
    }
    line.setLineWidth(1e6);
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() != 1 || runs[0].glyphIndexes().size() != text.size())
        return;
    m_run = runs[0];
    m_advances = m_run.rawFont().advancesForGlyphIndexes(m_run.glyphIndexes());
    m_inkMargin = m_run.rawFont().pixelSize() / 8.0;
    m_origin = *device.engine().origin - QPointF(0, line.ascent());
    m_text = text;
    m_pattern = pattern(text);
    m_key = keyOf(label);
    m_laidOut = true;

    // Digits are swapped only in a face whose digits are all as wide as each other, and a
    // text whose glyphs stand one advance after another: no kerning moved any of them.
    const QRawFont font = m_run.rawFont();
    const QList<quint32> digits = font.glyphIndexesForString(QStringLiteral("0123456789"));
    if (digits.size() != 10 || digits.contains(0u))
        return;
    const QList<QPointF> widths = font.advancesForGlyphIndexes(digits);
    for (const QPointF& w : widths)
        if (std::abs(w.x() - widths[0].x()) > 1e-3)
            return;
    const QList<QPointF> places = m_run.positions();
    const QList<QPointF>& advances = m_advances;
    for (qsizetype i = 0; i + 1 < places.size(); ++i)
        if (std::abs(places[i].x() + advances[i].x() - places[i + 1].x()) > 1e-3 ||
            std::abs(places[i].y() - places[i + 1].y()) > 1e-3)
            return;
    // Only digits turn: their ink, from the highest to the lowest of the ten, is all that
    // changes from top to bottom.
    const double baseline = m_origin.y() + line.ascent();
    m_digitInkTop = baseline;
    m_digitInkBottom = baseline;
    for (int d = 0; d < 10; ++d) {
        m_digits[std::size_t(d)] = digits[d];
        const QRectF ink = font.boundingRect(digits[d]);
        m_digitInkTop = std::min(m_digitInkTop, baseline + ink.top());
        m_digitInkBottom = std::max(m_digitInkBottom, baseline + ink.bottom());
    }
    m_digitAdvance = widths[0].x();
    m_turnable = true;
}

void TurningText::swapDigits(const QString& text) {
    QList<quint32> glyphs = m_run.glyphIndexes();
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] != m_text[i])
            glyphs[i] = m_digits[std::size_t(text[i].unicode() - u'0')];
    m_run.setGlyphIndexes(glyphs);
    m_text = text;
}

std::optional<QRect> TurningText::changedArea(const QLabel& label, const QString& old,
                                              const QString& now) const {
    if (!m_laidOut || !m_turnable || old != m_text || !hasPattern(now, m_pattern) ||
        !drawable(label) || keyOf(label) != m_key)
        return std::nullopt;
    qsizetype first = 0;
    while (first < now.size() && old[first] == now[first])
        ++first;
    if (first == now.size())
        return std::nullopt;
    qsizetype last = now.size() - 1;
    while (old[last] == now[last])
        --last;
    // Only digits differ, and they are all as wide as each other.
    const QList<QPointF> places = m_run.positions();
    const double left = m_origin.x() + places[first].x() - m_inkMargin;
    const double right = m_origin.x() + places[last].x() + m_digitAdvance + m_inkMargin;
    // The digits' ink from top to bottom, where it stays inside the label's contents (within
    // its frame, which then need not be drawn again); else the label's whole height.
    int top = int(std::floor(m_digitInkTop - m_inkMargin));
    int bottom = int(std::ceil(m_digitInkBottom + m_inkMargin));
    const QRect contents = label.contentsRect();
    if (top < contents.top() || bottom > contents.bottom()) {
        top = 0;
        bottom = label.height() - 1;
    }
    return QRect(QPoint(int(std::floor(left)), top), QPoint(int(std::ceil(right)), bottom))
        .intersected(label.rect());
}

bool TurningText::prepare(const QLabel& label) {
    if (!drawable(label)) {
        m_laidOut = false;
        m_lastPattern.clear();
        return false;
    }
    const QString text = label.text();
    const bool sameKey = m_laidOut && keyOf(label) == m_key;
    if (sameKey && text == m_text)
        return true;
    m_swapped = false;
    // Digits turned in the text laid out: swapped in, with no new shape worked out.
    if (sameKey && m_turnable && hasPattern(text, m_pattern)) {
        m_lastPattern = m_pattern;
        swapDigits(text);
        m_swapped = true;
        return true;
    }
    const QString shape = pattern(text);
    const bool again = shape == m_lastPattern;
    m_lastPattern = shape;
    if (again) {
        const Key key = keyOf(label);
        if (m_failed && m_failed->first == key && m_failed->second == shape) {
            m_laidOut = false;
            return false;
        }
        layOut(label, text);
        if (!m_laidOut)
            m_failed.emplace(key, shape);
        return m_laidOut;
    }
    m_laidOut = false;
    return false;
}

void TurningText::draw(QPainter& painter, const QLabel& label, const QRect& area) const {
    painter.setPen(label.palette().color(label.foregroundRole()));
    if (area.contains(label.rect())) {
        painter.drawGlyphRun(m_origin, m_run);
        return;
    }
    // Large glyphs are filled as outlines at every paint: those outside the area are left out.
    // Swapped digits advance as far as the digits they replaced, so the advances of the text
    // laid out still hold.
    const QList<quint32> glyphs = m_run.glyphIndexes();
    const QList<QPointF> places = m_run.positions();
    QList<quint32> someGlyphs;
    QList<QPointF> somePlaces;
    someGlyphs.reserve(glyphs.size());
    somePlaces.reserve(glyphs.size());
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const double left = m_origin.x() + places[i].x() - m_inkMargin;
        const double right = m_origin.x() + places[i].x() + m_advances[i].x() + m_inkMargin;
        if (right >= area.left() && left <= area.right() + 1) {
            someGlyphs.push_back(glyphs[i]);
            somePlaces.push_back(places[i]);
        }
    }
    QGlyphRun some = m_run;
    some.setGlyphIndexes(someGlyphs);
    some.setPositions(somePlaces);
    painter.drawGlyphRun(m_origin, some);
}

} // namespace orvane
