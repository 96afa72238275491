// The kinds that show text: labels, text boxes and the status bar with its panels, and the
// image, which is a label with a picture.

#include "qt/qt_kind.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"
#include "qt/turning_text.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <optional>

namespace orvane {

namespace {

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
    void setShownText(const QString& text) {
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
            drawFrame(painter);
            m_turning.draw(painter, *this, event->rect());
            return;
        }
        QPainter painter(this);
        fillBackground(painter, *event);
        drawFrame(painter);
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

    // A frame is drawn only where there is one: the style's frame drawing is set up in full
    // even for none.
    void drawFrame(QPainter& painter) {
        if (frameShape() != QFrame::NoFrame)
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
    TurningText m_turning;
    QString m_pattern;
    QSize m_box;
    QFont m_base;
    QFont m_font;
    QRectF m_ink;
};

class LabelView final : public KindView {
  public:
    LabelView() : KindView({.clickOnRelease = true}) {}

    QWidget* make(Control&, QWidget* client, QtView&) const override {
        auto* label = new FitLabel(client);
        label->setTextFormat(Qt::PlainText);
        return label;
    }

    // A label keeps the box the form gives it, fixed: a label of free size asks the window
    // it is in to lay out again at each new text, though nothing there is laid out, and the
    // count and the board take a dozen new texts a second.
    void place(Control& c, QWidget* w, QtView& view) const override {
        w->setMinimumSize(0, 0);
        w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        KindView::place(c, w, view);
        w->setFixedSize(w->size());
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        auto& l = static_cast<Label&>(c);
        auto* label = static_cast<FitLabel*>(w);
        switch (what) {
        case Prop::Caption:
            label->setShownText(qstr(l.caption()));
            return;
        case Prop::Font:
            label->setFit(l.fitText());
            return;
        case Prop::Alignment:
            label->setAlignment(toQt(l.alignment()) |
                                (l.centredVertically() ? Qt::AlignVCenter : Qt::AlignTop));
            return;
        case Prop::WordWrap:
            label->setWordWrap(l.wordWrap());
            return;
        case Prop::BorderStyle:
            label->setFrameStyle(l.borderStyle() == 1 ? QFrame::Box | QFrame::Plain
                                                      : QFrame::NoFrame);
            label->setLineWidth(1);
            return;
        case Prop::BackColor:
        case Prop::ForeColor:
        case Prop::Transparent:
            label->setFilled(!l.transparent());
            setColor(label, QPalette::Window, toQColor(l.backColor()), true);
            setColor(label, QPalette::WindowText, toQColor(l.foreColor()), false);
            return;
        default:
            return;
        }
    }
};

class ImageView final : public KindView {
  public:
    ImageView() : KindView({.clickOnRelease = true}) {}

    QWidget* make(Control&, QWidget* client, QtView&) const override {
        auto* label = new QLabel(client);
        label->setTextFormat(Qt::PlainText);
        return label;
    }

    // The picture is drawn for the size it is shown at.
    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        if (what == Prop::Geometry)
            static_cast<QLabel*>(w)->setPixmap(
                drawImage(static_cast<Image&>(c).resource(), w->size(), w->devicePixelRatioF()));
    }
};

class TextBoxView final : public KindView {
  public:
    TextBoxView() : KindView({.ownClicks = true, .clickOnRelease = true}) {}

    QWidget* make(Control&, QWidget* client, QtView&) const override {
        return new QLineEdit(client);
    }

    void connect(Control& c, QWidget* w, QtView& view) const override {
        auto* box = static_cast<TextBox*>(&c);
        QObject::connect(static_cast<QLineEdit*>(w), &QLineEdit::textEdited, &view,
                         [&view, box](const QString& text) {
                             view.input(
                                 *box, [&] { box->userSet(text.toStdString()); }, Prop::Text);
                         });
    }

    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        auto& t = static_cast<TextBox&>(c);
        auto* edit = static_cast<QLineEdit*>(w);
        switch (what) {
        case Prop::Text:
            // Rewriting the same text would throw the cursor to the end while the user types.
            if (edit->text() != qstr(t.text()))
                edit->setText(qstr(t.text()));
            return;
        case Prop::Locked:
            edit->setReadOnly(t.locked());
            return;
        case Prop::Alignment:
            edit->setAlignment(toQt(t.alignment()) | Qt::AlignVCenter);
            return;
        case Prop::BackColor:
        case Prop::ForeColor:
            setColor(edit, QPalette::Base, toQColor(t.backColor()), true);
            setColor(edit, QPalette::Text, toQColor(t.foreColor()), false);
            return;
        default:
            return;
        }
    }
};

// The status bar's strip. Its panels are as tall as the strip leaves them, fixed so: a panel
// whose width is fixed too then takes a new text (the date panel, every second) without the
// strip laying out every panel again, measuring each one's text.
class StatusStrip final : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        const QMargins margins = layout() ? layout()->contentsMargins() : QMargins();
        const int height = std::max(0, this->height() - margins.top() - margins.bottom());
        for (QWidget* panel : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            panel->setFixedHeight(height);
    }
};

// Docked to the window's bottom edge rather than placed in the client area: the view lays it
// out with the window.
class StatusBarView final : public KindView {
  public:
    QWidget* make(Control&, QWidget* client, QtView&) const override {
        auto* strip = new StatusStrip(client->window());
        auto* layout = new QHBoxLayout(strip);
        layout->setContentsMargins(1, 2, 1, 1);
        layout->setSpacing(2);
        return strip;
    }

    void place(Control& c, QWidget*, QtView& view) const override { view.layOutWindowOf(c); }

    void sync(Control& c, QWidget* w, Prop what, QtView& view) const override {
        if (what == Prop::Visible)
            view.layOutWindowOf(c);
        else if (what == Prop::BackColor)
            fill(w, c.backColor());
    }
};

class StatusPanelView final : public KindView {
  public:
    QWidget* make(Control& c, QWidget*, QtView& view) const override {
        QWidget* strip = view.widget(*c.container());
        if (!strip)
            return nullptr;
        // Drawn as the count's labels are, so that the date turning each second is not laid
        // out and shaped again at every paint.
        auto* panel = new FitLabel(strip);
        panel->setTextFormat(Qt::PlainText);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(3);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        strip->layout()->addWidget(panel);
        return panel;
    }

    // Each panel keeps its width but the last, which takes whatever the others leave.
    void place(Control& c, QWidget*, QtView& view) const override {
        const Control& bar = *c.container();
        auto* layout =
            qobject_cast<QHBoxLayout*>(view.widget(bar) ? view.widget(bar)->layout() : nullptr);
        if (!layout)
            return;
        const auto& panels = static_cast<const StatusBar&>(bar).panels();
        for (const auto& panel : panels) {
            QWidget* label = view.widget(*panel);
            if (!label)
                continue;
            const bool last = panel == panels.back();
            if (last) {
                label->setMinimumWidth(0);
                label->setMaximumWidth(QWIDGETSIZE_MAX);
            } else {
                label->setFixedWidth(view.pixels(*panel, panel->width()));
            }
            layout->setStretchFactor(label, last ? 1 : 0);
        }
    }

    // A panel that warns is filled with its colour; the others with the status bar's.
    void sync(Control& c, QWidget* w, Prop what, QtView&) const override {
        if (what == Prop::Text)
            static_cast<FitLabel*>(w)->setShownText(qstr(static_cast<StatusPanel&>(c).text()));
        else if (what == Prop::BackColor)
            fill(w, c.backColor()); // a warning shows in amber
    }
};

} // namespace

const KindView& labelView() {
    static const LabelView view;
    return view;
}

const KindView& imageView() {
    static const ImageView view;
    return view;
}

const KindView& textBoxView() {
    static const TextBoxView view;
    return view;
}

const KindView& statusBarView() {
    static const StatusBarView view;
    return view;
}

const KindView& statusPanelView() {
    static const StatusPanelView view;
    return view;
}

} // namespace orvane
