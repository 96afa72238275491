// The kinds that show text: labels, text boxes and the status bar with its panels, and the
// image, which is a label with a picture.

#include "qt/fit_label.h"
#include "qt/qt_kind.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>

#include <algorithm>

namespace orvane {

namespace {

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
