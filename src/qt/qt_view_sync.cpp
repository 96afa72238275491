// Keeping the widgets in step with the controls. Every update runs with the widget's signals
// blocked, so nothing the program sets comes back to it as if the user had done it.

#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>

namespace orvane {

namespace {

Qt::Alignment toQt(Align a) {
    switch (a) {
    case Align::Center:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft;
}

// Colours for the normal look only; a disabled widget keeps the style's greyed text.
void setColour(QWidget* w, QPalette::ColorRole role, QColor colour, bool alsoDisabled) {
    QPalette pal = w->palette();
    // Labels are recoloured with every new caption; an unchanged palette costs no relayout.
    // A colour only inherited from the parent must still be set, or the window's colour would
    // show through later.
    if (pal.isBrushSet(QPalette::Active, role) && pal.color(QPalette::Active, role) == colour &&
        pal.color(QPalette::Inactive, role) == colour &&
        (!alsoDisabled || pal.color(QPalette::Disabled, role) == colour))
        return;
    pal.setColor(QPalette::Active, role, colour);
    pal.setColor(QPalette::Inactive, role, colour);
    if (alsoDisabled)
        pal.setColor(QPalette::Disabled, role, colour);
    w->setPalette(pal);
}

void fill(QWidget* w, Color back) {
    w->setAutoFillBackground(true);
    setColour(w, QPalette::Window, toQColor(back), true);
}

} // namespace

void QtView::syncAll(Control& c) {
    for (Prop p : {Prop::Range, Prop::Caption, Prop::Text, Prop::Value, Prop::Checked, Prop::Font,
                   Prop::BorderStyle, Prop::BackColor, Prop::ForeColor, Prop::ToolTipText,
                   Prop::Enabled, Prop::Geometry, Prop::Visible})
        sync(c, p);
}

void QtView::controlChanged(Control& control, Prop what) {
    sync(control, what);
    if (onControlChanged)
        onControlChanged();
}

void QtView::sync(Control& c, Prop what) {
    auto it = m_bindings.find(&c);
    if (it == m_bindings.end())
        return;
    const Binding& b = it->second;
    if (c.kind() == Kind::Form) {
        syncForm(*b.window, what);
        return;
    }
    if (c.kind() == Kind::MenuItem) {
        syncMenuItem(static_cast<MenuItem&>(c), b, what);
        return;
    }
    QWidget* w = b.widget;
    if (!w)
        return;
    const QSignalBlocker blocker(w);

    switch (what) {
    case Prop::Enabled:
        w->setEnabled(c.enabled());
        return;
    case Prop::Visible:
        w->setVisible(c.visible());
        if (c.kind() == Kind::StatusBar)
            layOut(*b.window);
        return;
    case Prop::ToolTipText:
        w->setToolTip(qstr(c.toolTipText()));
        return;
    case Prop::Font:
        w->setFont(toQFont(c.font()));
        return;
    case Prop::BackColor:
    case Prop::ForeColor:
        syncColours(c, w);
        return;
    case Prop::Focus:
        w->setFocus();
        return;
    case Prop::Geometry:
        if (c.kind() == Kind::StatusPanel) {
            syncStatusPanels(*c.container());
        } else if (c.kind() == Kind::StatusBar) {
            layOut(*b.window);
        } else {
            QRect r = rectOf(c);
            // Inside a picture box, positions count from within its border.
            if (c.container() && c.container()->kind() == Kind::PictureBox)
                if (auto* frame = qobject_cast<QFrame*>(widget(*c.container())))
                    r.translate(frame->frameWidth(), frame->frameWidth());
            w->setGeometry(r);
        }
        break;
    default:
        break;
    }

    switch (c.kind()) {
    case Kind::Label: {
        auto& l = static_cast<Label&>(c);
        auto* label = static_cast<QLabel*>(w);
        if (what == Prop::Caption) {
            label->setText(qstr(l.caption()));
            const Qt::Alignment align = toQt(l.alignment()) | Qt::AlignTop;
            if (label->alignment() != align)
                label->setAlignment(align);
            if (label->wordWrap() != l.wordWrap())
                label->setWordWrap(l.wordWrap());
            syncColours(c, w);
        } else if (what == Prop::BorderStyle) {
            label->setFrameStyle(l.borderStyle() == 1 ? QFrame::Box | QFrame::Plain
                                                      : QFrame::NoFrame);
            label->setLineWidth(1);
        }
        return;
    }
    case Kind::TextBox: {
        auto& t = static_cast<TextBox&>(c);
        auto* edit = static_cast<QLineEdit*>(w);
        if (what == Prop::Text) {
            // Rewriting the same text would throw the cursor to the end while the user types.
            if (edit->text() != qstr(t.text()))
                edit->setText(qstr(t.text()));
            edit->setReadOnly(t.locked());
            edit->setAlignment(toQt(t.alignment()) | Qt::AlignVCenter);
        }
        return;
    }
    case Kind::ScrollBar: {
        auto& s = static_cast<ScrollBar&>(c);
        auto* bar = static_cast<QScrollBar*>(w);
        // The widget runs upside down: its top end is the control's maximum, so the up arrow
        // raises the value.
        if (what == Prop::Range || what == Prop::Value) {
            bar->setRange(s.min(), s.max());
            bar->setSingleStep(s.smallChange());
            bar->setPageStep(s.largeChange());
            bar->setValue(s.min() + s.max() - s.value());
        }
        return;
    }
    case Kind::CheckBox: {
        auto& k = static_cast<CheckBox&>(c);
        auto* box = static_cast<QCheckBox*>(w);
        if (what == Prop::Caption)
            box->setText(qstr(k.caption()));
        else if (what == Prop::Value)
            box->setCheckState(k.value() == 1   ? Qt::Checked
                               : k.value() == 2 ? Qt::PartiallyChecked
                                                : Qt::Unchecked);
        return;
    }
    case Kind::OptionButton: {
        auto& o = static_cast<OptionButton&>(c);
        auto* button = static_cast<QRadioButton*>(w);
        if (what == Prop::Caption)
            button->setText(qstr(o.caption()));
        else if (what == Prop::Value)
            button->setChecked(o.value());
        return;
    }
    case Kind::CommandButton: {
        auto& k = static_cast<CommandButton&>(c);
        auto* button = static_cast<QPushButton*>(w);
        if (what == Prop::Caption) {
            button->setText(qstr(k.caption()));
            button->setDefault(k.isDefault());
        }
        return;
    }
    case Kind::PictureBox:
        if (what == Prop::BorderStyle) {
            auto* frame = static_cast<QFrame*>(w);
            const int before = frame->frameWidth();
            frame->setFrameStyle(c.borderStyle() == 1 ? QFrame::StyledPanel | QFrame::Sunken
                                                      : QFrame::NoFrame);
            // What the box holds counts its place from within the border.
            if (frame->frameWidth() != before)
                for (Control* inside : c.form().controls())
                    if (inside->container() == &c)
                        sync(*inside, Prop::Geometry);
        }
        return;
    case Kind::Frame:
        if (what == Prop::Caption)
            static_cast<FrameWidget*>(w)->setTitle(qstr(static_cast<Frame&>(c).caption()));
        return;
    case Kind::Shape: {
        auto& s = static_cast<Shape&>(c);
        static_cast<ShapeWidget*>(w)->setShape(s.shape(), toQColor(s.fillColor()));
        return;
    }
    case Kind::StatusPanel:
        if (what == Prop::Text)
            static_cast<QLabel*>(w)->setText(qstr(static_cast<StatusPanel&>(c).text()));
        return;
    case Kind::ProgressBar: {
        auto& p = static_cast<ProgressBar&>(c);
        auto* bar = static_cast<QProgressBar*>(w);
        if (what == Prop::Range || what == Prop::Value) {
            bar->setRange(p.min(), p.max());
            bar->setValue(p.value());
        }
        return;
    }
    case Kind::Calendar:
        if (what == Prop::Value) {
            const DateTime d = static_cast<orvane::Calendar&>(c).date();
            static_cast<QCalendarWidget*>(w)->setSelectedDate(QDate(d.year(), d.month(), d.day()));
        }
        return;
    case Kind::Image:
        if (what == Prop::Geometry)
            static_cast<QLabel*>(w)->setPixmap(
                drawImage(static_cast<Image&>(c).resource(), w->size(), w->devicePixelRatioF()));
        return;
    default:
        return;
    }
}

void QtView::syncColours(Control& c, QWidget* w) {
    switch (c.kind()) {
    case Kind::Label: {
        const bool transparent = static_cast<Label&>(c).transparent();
        w->setAutoFillBackground(!transparent);
        setColour(w, QPalette::Window, toQColor(c.backColor()), true);
        setColour(w, QPalette::WindowText, toQColor(c.foreColor()), false);
        return;
    }
    case Kind::TextBox:
        setColour(w, QPalette::Base, toQColor(c.backColor()), true);
        setColour(w, QPalette::Text, toQColor(c.foreColor()), false);
        return;
    case Kind::CheckBox:
    case Kind::OptionButton:
    case Kind::Frame:
        fill(w, c.backColor());
        setColour(w, QPalette::WindowText, toQColor(c.foreColor()), false);
        return;
    case Kind::PictureBox:
    case Kind::StatusBar:
        fill(w, c.backColor());
        return;
    default:
        return;
    }
}

void QtView::syncStatusPanels(const Control& bar) {
    if (bar.kind() != Kind::StatusBar)
        return;
    const auto& panels = static_cast<const StatusBar&>(bar).panels();
    auto* layout = qobject_cast<QHBoxLayout*>(widget(bar) ? widget(bar)->layout() : nullptr);
    if (!layout)
        return;
    for (const auto& panel : panels) {
        QWidget* label = widget(*panel);
        if (!label)
            continue;
        // The last panel takes whatever width the others leave.
        const bool last = panel == panels.back();
        if (last) {
            label->setMinimumWidth(0);
            label->setMaximumWidth(QWIDGETSIZE_MAX);
        } else {
            label->setFixedWidth(pixels(panel->width()));
        }
        layout->setStretchFactor(label, last ? 1 : 0);
    }
}

void QtView::syncMenuItem(MenuItem& item, const Binding& b, Prop what) {
    QAction* a = b.action;
    if (!a)
        return;
    const QSignalBlocker blocker(a);
    switch (what) {
    case Prop::Caption:
        a->setSeparator(item.isSeparator());
        if (!item.isSeparator())
            a->setText(qstr(item.caption()));
        return;
    case Prop::Enabled:
        a->setEnabled(item.enabled());
        return;
    case Prop::Visible:
        a->setVisible(item.visible());
        if (!item.parentMenu())
            layOut(*b.window);
        return;
    case Prop::Checked:
        a->setCheckable(item.checked());
        a->setChecked(item.checked());
        return;
    case Prop::ToolTipText:
        a->setToolTip(qstr(item.toolTipText()));
        return;
    default:
        return;
    }
}

void QtView::syncForm(Window& w, Prop what) {
    Form& f = *w.form;
    FormWindow* top = w.top;
    switch (what) {
    case Prop::Caption:
        top->setWindowTitle(qstr(f.caption()));
        return;
    case Prop::Geometry: {
        const QSize size(pixels(f.width()), pixels(f.height()));
        if (f.fixedSize())
            top->setFixedSize(size);
        else
            top->resize(size);
        if (!f.centered())
            top->move(pixels(f.left()), pixels(f.top()));
        layOut(w);
        return;
    }
    case Prop::Visible:
        if (!f.visible()) {
            const bool hadKeyboard = top->isActiveWindow();
            top->hide();
            // The keyboard stays with the program: the splash going hands it to the count.
            if (hadKeyboard)
                for (const auto& [form, other] : m_windows)
                    if (other->top != top && other->top->isVisible() && form->enabled()) {
                        other->top->activateWindow();
                        break;
                    }
            return;
        }
        if (f.centered() && !w.placed) {
            const QScreen* screen =
                top->screen() ? top->screen() : QGuiApplication::primaryScreen();
            if (screen) {
                const QRect area = screen->availableGeometry();
                top->move(area.center() - QPoint(top->width() / 2, top->height() / 2));
            }
            w.placed = true;
        }
        top->show();
        top->raise();
        // A window that takes no input leaves the keyboard with the one in front (the splash).
        if (f.enabled())
            top->activateWindow();
        return;
    case Prop::Enabled:
        // A disabled window keeps its look: the view refuses its input instead (see
        // refusesInput), where Qt would grey every control in it.
        if (!f.enabled())
            endInput(w);
        return;
    case Prop::BackColor:
        // The menu bar keeps the desktop's colour; the controls' area takes the window's.
        fill(w.client, f.backColor());
        return;
    case Prop::ToolTipText:
        w.client->setToolTip(qstr(f.toolTipText()));
        return;
    case Prop::Focus:
        top->activateWindow();
        return;
    default:
        return;
    }
}

} // namespace orvane
