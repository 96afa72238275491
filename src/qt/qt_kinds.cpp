#include "qt/qt_kind.h"

#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QFrame>
#include <QWidget>

namespace orvane {

QWidget* KindView::make(Control&, QWidget*, QtView&) const {
    return nullptr;
}

void KindView::connect(Control&, QWidget*, QtView&) const {}

void KindView::place(Control& c, QWidget* w, QtView& view) const {
    QRect r = view.rectOf(c);
    // Inside a picture box, positions count from within its border.
    if (c.container())
        if (auto* frame = qobject_cast<QFrame*>(view.widget(*c.container())))
            r.translate(frame->frameWidth(), frame->frameWidth());
    w->setGeometry(r);
}

void KindView::sync(Control&, QWidget*, Prop, QtView&) const {}

const KindView& kindView(Kind kind) {
    // The form's own area takes clicks; its window and its menus are the view's own work.
    static const KindView form({.clickOnRelease = true});
    static const KindView none;
    switch (kind) {
    case Kind::Form:
        return form;
    case Kind::MenuItem:
    case Kind::Timer:
        return none;
    case Kind::Label:
        return labelView();
    case Kind::Image:
        return imageView();
    case Kind::TextBox:
        return textBoxView();
    case Kind::StatusBar:
        return statusBarView();
    case Kind::StatusPanel:
        return statusPanelView();
    case Kind::CheckBox:
        return checkBoxView();
    case Kind::OptionButton:
        return optionButtonView();
    case Kind::CommandButton:
        return commandButtonView();
    case Kind::ScrollBar:
        return scrollBarView();
    case Kind::ProgressBar:
        return progressBarView();
    case Kind::Calendar:
        return calendarView();
    case Kind::PictureBox:
        return pictureBoxView();
    case Kind::Frame:
        return frameView();
    case Kind::Shape:
        return shapeView();
    }
    return none;
}

void setColor(QWidget* w, QPalette::ColorRole role, QColor color, bool alsoDisabled) {
    QPalette pal = w->palette();
    // An unchanged palette costs no relayout. A colour only inherited from the parent must
    // still be set, or the parent's colour would show through once it changes.
    if (pal.isBrushSet(QPalette::Active, role) && pal.color(QPalette::Active, role) == color &&
        pal.color(QPalette::Inactive, role) == color &&
        (!alsoDisabled || pal.color(QPalette::Disabled, role) == color))
        return;
    pal.setColor(QPalette::Active, role, color);
    pal.setColor(QPalette::Inactive, role, color);
    if (alsoDisabled)
        pal.setColor(QPalette::Disabled, role, color);
    w->setPalette(pal);
}

void fill(QWidget* w, Color back) {
    w->setAutoFillBackground(true);
    setColor(w, QPalette::Window, toQColor(back), true);
}

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

} // namespace orvane
