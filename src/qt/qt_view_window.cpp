// The window of a form and its menus: the title, size and place, showing and hiding, and the
// menu bar's entries with their checks and shortcuts.

#include "qt/qt_kind.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>

namespace orvane {

void QtView::syncForm(Window& w, Prop what) {
    Form& f = *w.form;
    FormWindow* top = w.top;
    switch (what) {
    case Prop::Caption:
        top->setWindowTitle(qstr(f.caption()));
        return;
    case Prop::Geometry: {
        if (const double scale = fittingScale(w); scale != w.scale)
            rescale(w, scale);
        const QSize size(pixels(f, f.width()), pixels(f, f.height()));
        if (f.fixedSize())
            top->setFixedSize(size);
        else
            top->resize(size);
        if (!f.centered()) {
            w.shownAt = onScreen(w, QPoint(pixels(f.left()), pixels(f.top())), size);
            top->move(w.shownAt);
        }
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

// A window the screen cannot hold whole at its place is moved up and left until it can.
QPoint QtView::onScreen(const Window& w, QPoint at, QSize size) const {
    if (w.form->borderless())
        return at;
    const QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen)
        return at;
    const QRect room = screen->availableGeometry();
    at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width() - FrameWidth)));
    at.setY(
        std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height() - FrameHeight)));
    return at;
}

void QtView::makeMenuItem(MenuItem& item, Window& w) {
    MenuItem* parentItem = item.parentMenu();
    QMenu* parentMenu = parentItem ? menu(*parentItem) : nullptr;
    if (parentItem && !parentMenu)
        return;

    Binding b{&w, nullptr, nullptr, nullptr};
    // A top-level menu is always a menu, even with no items yet, so it can pop up.
    if (!parentItem || !item.items().empty()) {
        b.menu = new QMenu(parentMenu ? static_cast<QWidget*>(parentMenu) : w.top);
        b.menu->setObjectName(qstr(item.displayName()));
        b.action = b.menu->menuAction();
    } else {
        b.action = new QAction(parentMenu);
        if (!item.shortcut().empty())
            b.action->setShortcut(QKeySequence::fromString(qstr(item.shortcut())));
        connect(b.action, &QAction::triggered, this, [this, it = &item] { menuTriggered(it); });
    }
    b.action->setObjectName(qstr(item.displayName()));
    if (parentMenu)
        parentMenu->addAction(b.action);
    else
        w.menuBar->addAction(b.action);
    m_bindings[&item] = b;
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
        if (!item.parentMenu()) {
            layOut(*b.window);
            resyncButtonCaptions(*b.window);
        }
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

void QtView::menuTriggered(MenuItem* item) {
    if (!bound(item))
        return;
    if (item->acceptsInput())
        deliver([&] { item->click(); });
    if (bound(item))
        sync(*item, Prop::Checked);
}

} // namespace orvane
