// What the user does, handed to the controls. Every input goes through the scheduler's
// delivery, so the fast timers and deferred work run after it as after any other event, and
// only to a control that a person could reach; mouse input over one that cannot be reached
// goes to what holds it.

#include "toolkit/mouse_holder.h"
#include "qt/qt_kind.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCalendarWidget>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

namespace orvane {

namespace {

// Whether the widget is, or is inside, an editor of a calendar (its year box).
bool inCalendarEditor(const QWidget* focus) {
    bool editor = false;
    for (const QWidget* at = focus; at; at = at->parentWidget()) {
        editor = editor || qobject_cast<const QAbstractSpinBox*>(at);
        if (editor && qobject_cast<const QCalendarWidget*>(at))
            return true;
    }
    return false;
}

// The character code a key press gives a form: 27 for Esc, 13 for Enter, the character for a
// printable key; 0 for keys that type nothing.
int characterCode(const QKeyEvent& e) {
    switch (e.key()) {
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    default:
        break;
    }
    const QString text = e.text();
    if (text.size() != 1)
        return 0;
    const char16_t ch = text.at(0).unicode();
    return ch >= 32 && ch != 127 && ch < 256 ? int(ch) : 0;
}

// What a person does to a window, as opposed to what the window shows.
bool isInput(QEvent::Type type) {
    switch (type) {
    // A mouse button's release goes through: it only ends what a press began, and a refused
    // press began nothing, while a press begun before the window was disabled (a scroll bar's
    // arrow held down) must still be able to end.
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

void QtView::deliver(const std::function<void()>& event) {
    m_app.services().scheduler.deliver(event);
}

QtView::Window* QtView::windowOfHandle(const QObject* handle) const {
    for (const auto& [form, w] : m_windows)
        if (w->top->windowHandle() == handle)
            return w.get();
    return nullptr;
}

QtView::Window* QtView::windowOfTop(const QWidget* top) const {
    for (const auto& [form, w] : m_windows)
        if (w->top == top)
            return w.get();
    return nullptr;
}

// The form whose window an object belongs to: its widgets, its menus and their entries, and
// the window system's window under it. A dialog of its own (a message box) belongs to none.
QtView::Window* QtView::windowOwning(const QObject* o) const {
    if (o && o->isWindowType())
        return windowOfHandle(o);
    for (; o; o = o->parent()) {
        if (!o->isWidgetType())
            continue;
        const auto* widget = static_cast<const QWidget*>(o);
        if (!widget->isWindow())
            continue;
        if (Window* w = windowOfTop(widget))
            return w;
        // A menu pops up as a window of its own, but belongs to the window it was opened from.
        if (!qobject_cast<const QMenu*>(widget))
            return nullptr;
    }
    return nullptr;
}

bool QtView::refusesInput(const QObject* watched, QEvent::Type type) const {
    if (!isInput(type))
        return false;
    const Window* w = windowOwning(watched);
    return w && !w->form->enabled();
}

// What the user had begun in a window that is now disabled ends, as it would in a disabled
// widget: a menu left open or a button held down could otherwise never be let go.
void QtView::endInput(Window& w) {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (windowOwning(popup) != &w)
            break;
        popup->close();
    }
    if (QWidget* grabber = QWidget::mouseGrabber(); grabber && grabber->window() == w.top)
        grabber->releaseMouse();
    for (auto* button : w.top->findChildren<QAbstractButton*>())
        if (button->isDown())
            button->setDown(false);
    if (m_pressed && m_pressed->window() == w.top)
        m_pressed = nullptr;
}

bool QtView::eventFilter(QObject* watched, QEvent* event) {
    // A disabled window takes no input at all, from the mouse, the keyboard, its menus or its
    // shortcuts, yet it is drawn as usual.
    if (refusesInput(watched, event->type()))
        return true;
    switch (event->type()) {
    case QEvent::KeyPress:
        // A key reaches the top-level window once, before whichever widget has the focus.
        if (watched->isWindowType())
            if (Window* w = windowOfHandle(watched))
                return keyPress(*w, static_cast<QKeyEvent*>(event));
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto it = m_controlOf.find(watched);
        if (it == m_controlOf.end())
            return false;
        return mouseEvent(*it->second, static_cast<QWidget*>(watched),
                          static_cast<QMouseEvent*>(event));
    }
    default:
        return false;
    }
}

bool QtView::mouseEvent(Control& c, QWidget* widget, QMouseEvent* event) {
    MouseButton button;
    switch (event->button()) {
    case Qt::LeftButton:
        button = MouseButton::Left;
        break;
    case Qt::RightButton:
        button = MouseButton::Right;
        break;
    case Qt::MiddleButton:
        button = MouseButton::Middle;
        break;
    default:
        return false;
    }
    // Qt drops mouse input over a disabled widget. The windows were designed for a platform
    // that hands it to what holds the control (the picture box or frame around it, else the
    // window), so a right click over a greyed button still pops the window's menu up.
    if (!c.acceptsInput()) {
        Control* holder = mouseHolder(c);
        QWidget* holderWidget = holder ? this->widget(*holder) : nullptr;
        if (!holderWidget)
            return false;
        QMouseEvent passed(event->type(), holderWidget->mapFromGlobal(event->globalPosition()),
                           event->scenePosition(), event->globalPosition(), event->button(),
                           event->buttons(), event->modifiers());
        mouseEvent(*holder, holderWidget, &passed);
        return true;
    }

    Control* cp = &c;
    // Widgets that ignore a press would pass it on to their parent, and the form would hear
    // it a second time; buttons and boxes ignore all but the left button.
    const MouseRules rules = kindView(c.kind()).mouse;
    const bool consume = !rules.ownClicks || button != MouseButton::Left;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_pressed = widget;
        deliver([&] { cp->mouseDown(button); });
        break;
    case QEvent::MouseButtonRelease: {
        const bool click = button == MouseButton::Left && m_pressed == widget &&
                           rules.clickOnRelease &&
                           widget->rect().contains(event->position().toPoint());
        if (button == MouseButton::Left)
            m_pressed = nullptr;
        deliver([&] { cp->mouseUp(button); });
        if (click && bound(cp) && cp->acceptsInput())
            deliver([&] { cp->click(); });
        break;
    }
    case QEvent::MouseButtonDblClick:
        // The release that ends a double click is no click of its own.
        m_pressed = nullptr;
        deliver([&] { cp->dblClick(); });
        break;
    default:
        return false;
    }
    return consume || !bound(cp);
}

// The menu item of FORM whose shortcut is the key pressed, if any.
MenuItem* QtView::shortcutItem(Form& form, const QKeyEvent& event) {
    const QKeySequence pressed(event.keyCombination());
    std::vector<MenuItem*> items = form.topMenus();
    for (std::size_t i = 0; i < items.size(); ++i) {
        MenuItem* item = items[i];
        items.insert(items.end(), item->items().begin(), item->items().end());
        if (!item->shortcut().empty() &&
            QKeySequence::fromString(qstr(item->shortcut())) == pressed)
            return item;
    }
    return nullptr;
}

bool QtView::keyPress(Window& w, QKeyEvent* event) {
    Form* form = w.form;
    if (!form->acceptsInput())
        return false;
    // A window without a frame (the present window) has no menu bar, only a right-click menu,
    // whose shortcuts Qt does not answer: they come here as plain keys. A framed window's
    // hidden menus (the compact screen's) keep their shortcuts off, as they always were.
    if (MenuItem* item = form->borderless() ? shortcutItem(*form, *event) : nullptr) {
        if (item->acceptsInput())
            deliver([&] { item->click(); });
        return true;
    }
    const int code = characterCode(*event);
    if (code == 0)
        return false;
    // Enter and Esc inside the calendar's month and year editors are the editors' own: Enter
    // applies the year typed, and never finishes the page around it.
    if (code == 27 || code == 13) {
        const QWidget* focus = QApplication::focusWidget();
        if (focus && focus->window() == w.top && inCalendarEditor(focus))
            return false;
    }
    // Esc presses the cancel button and Enter the default button, where the form has one.
    if (CommandButton* b = form->keyButton(code)) {
        QWidget* shown = widget(*b);
        if (shown && shown->isVisibleTo(w.top)) {
            deliver([&] { b->click(); });
            return true;
        }
    }
    deliver([&] { form->keyPress(code); });
    // A form that went away with the key takes the key with it.
    return !m_windows.contains(form);
}

} // namespace orvane
