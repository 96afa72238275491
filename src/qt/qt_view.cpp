#include "qt/qt_view.h"

#include "qt/qt_widgets.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>

#include <cmath>

namespace orvane {

QtView::QtView(App& app) : m_app(app) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    // Watching the whole application lets keys reach a form before any of its widgets, and
    // sees mouse events at each widget they pass on their way up to the form.
    qApp->installEventFilter(this);
}

QtView::~QtView() {
    qApp->removeEventFilter(this);
    while (!m_windows.empty()) {
        Window& w = *m_windows.begin()->second;
        FormWindow* top = w.top;
        formUnloaded(*w.form);
        delete top;
    }
    // The view is the application's only observer; nothing may reach it once it is gone.
    m_app.setObserver(nullptr);
}

int QtView::pixels(int twips) const {
    return int(std::floor(double(twips) * m_dpi / 1440.0));
}

// Both edges are converted, so controls that touch in twips still touch on screen.
QRect QtView::rectOf(const Control& c) const {
    const int x = pixels(c.left());
    const int y = pixels(c.top());
    return QRect(x, y, pixels(c.left() + c.width()) - x, pixels(c.top() + c.height()) - y);
}

QWidget* QtView::window(const Form& form) const {
    auto it = m_windows.find(&form);
    return it == m_windows.end() ? nullptr : it->second->top;
}

QWidget* QtView::widget(const Control& control) const {
    auto it = m_bindings.find(&control);
    return it == m_bindings.end() ? nullptr : it->second.widget;
}

QMenu* QtView::menu(const MenuItem& item) const {
    auto it = m_bindings.find(&item);
    return it == m_bindings.end() ? nullptr : it->second.menu;
}

QAction* QtView::action(const MenuItem& item) const {
    auto it = m_bindings.find(&item);
    return it == m_bindings.end() ? nullptr : it->second.action;
}

void QtView::formLoaded(Form& form) {
    Qt::WindowFlags flags = Qt::Window;
    if (form.borderless())
        flags |= Qt::FramelessWindowHint;
    else if (form.fixedSize())
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    if (form.topMost())
        flags |= Qt::WindowStaysOnTopHint;

    auto owned = std::make_unique<Window>();
    Window& w = *owned;
    w.form = &form;
    w.top = new FormWindow(flags);
    w.top->setObjectName(qstr(form.name()));
    w.menuBar = new QMenuBar(w.top);
    w.menuBar->setNativeMenuBar(false);
    w.menuBar->hide();
    w.client = new QWidget(w.top);
    m_windows.emplace(&form, std::move(owned));
    m_bindings[&form] = Binding{&w, w.client, nullptr, nullptr};
    m_controlOf[w.client] = &form;

    w.top->onCloseRequest = [this, f = &form] {
        if (m_windows.contains(f) && f->acceptsInput())
            deliver([&] { m_app.closeRequested(*f); });
    };

    for (Control* c : form.controls())
        makeWidget(*c, w);
    // Children move into their picture boxes and frames only once every widget exists, so
    // that siblings keep the stacking order in which the controls were made.
    for (Control* c : form.controls()) {
        if (!c->container() || c->kind() == Kind::StatusPanel)
            continue;
        QWidget* child = widget(*c);
        QWidget* parent = widget(*c->container());
        if (child && parent)
            child->setParent(parent);
    }
    for (Control* c : form.controls()) {
        syncAll(*c);
        c->setObserver(this);
    }
    syncAll(form);
    form.setObserver(this);
}

void QtView::formUnloaded(Form& form) {
    auto it = m_windows.find(&form);
    if (it == m_windows.end())
        return;
    Window& w = *it->second;
    for (Control* c : form.controls()) {
        if (c->observer() == this)
            c->setObserver(nullptr);
        auto b = m_bindings.find(c);
        if (b == m_bindings.end())
            continue;
        m_controlOf.erase(b->second.widget);
        m_bindings.erase(b);
    }
    if (form.observer() == this)
        form.setObserver(nullptr);
    m_controlOf.erase(w.client);
    m_bindings.erase(&form);
    if (m_pressed && m_pressed->window() == w.top)
        m_pressed = nullptr;

    // The form may be unloading itself from a handler that one of these widgets is still
    // running: hide now, delete once control is back in the event loop.
    w.top->onCloseRequest = nullptr;
    w.top->hide();
    w.top->deleteLater();
    m_windows.erase(it);
}

void QtView::bind(Control& c, Window& w, QWidget* widget) {
    widget->setObjectName(qstr(c.displayName()));
    m_bindings[&c] = Binding{&w, widget, nullptr, nullptr};
    m_controlOf[widget] = &c;
    connectSignals(c, widget);
}

void QtView::makeWidget(Control& c, Window& w) {
    QWidget* parent = w.client;
    switch (c.kind()) {
    case Kind::Form:
    case Kind::Timer:
        return;
    case Kind::MenuItem:
        makeMenuItem(static_cast<MenuItem&>(c), w);
        return;
    case Kind::Label:
    case Kind::Image: {
        auto* label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        bind(c, w, label);
        return;
    }
    case Kind::TextBox:
        bind(c, w, new QLineEdit(parent));
        return;
    case Kind::ScrollBar:
        bind(c, w, new QScrollBar(Qt::Vertical, parent));
        return;
    case Kind::CheckBox: {
        auto* box = new QCheckBox(parent);
        // The style would fill behind the box and caption with the button colour, a lighter
        // patch on a coloured frame; the control's own back colour goes in the window role.
        box->setBackgroundRole(QPalette::Window);
        bind(c, w, box);
        return;
    }
    case Kind::OptionButton: {
        // The controls group option buttons themselves.
        auto* button = new QRadioButton(parent);
        button->setAutoExclusive(false);
        button->setBackgroundRole(QPalette::Window);
        bind(c, w, button);
        return;
    }
    case Kind::CommandButton: {
        auto* button = new QPushButton(parent);
        button->setAutoDefault(false);
        bind(c, w, button);
        return;
    }
    case Kind::PictureBox:
        bind(c, w, new QFrame(parent));
        return;
    case Kind::Frame:
        bind(c, w, new FrameWidget(parent));
        return;
    case Kind::Shape:
        bind(c, w, new ShapeWidget(parent));
        return;
    case Kind::StatusBar: {
        // Docked to the window's bottom edge rather than placed in the client area.
        auto* strip = new QWidget(w.top);
        auto* layout = new QHBoxLayout(strip);
        layout->setContentsMargins(1, 2, 1, 1);
        layout->setSpacing(2);
        w.statusBar = &c;
        bind(c, w, strip);
        return;
    }
    case Kind::StatusPanel: {
        QWidget* strip = widget(*c.container());
        if (!strip)
            return;
        auto* panel = new QLabel(strip);
        panel->setTextFormat(Qt::PlainText);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(3);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        strip->layout()->addWidget(panel);
        bind(c, w, panel);
        return;
    }
    case Kind::ProgressBar: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        bind(c, w, bar);
        return;
    }
    case Kind::Calendar: {
        auto* calendar = new QCalendarWidget(parent);
        // Month and day names are English, like every date the program shows.
        calendar->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        calendar->setFirstDayOfWeek(Qt::Sunday);
        calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        bind(c, w, calendar);
        return;
    }
    }
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

bool QtView::menuBarWanted(const Window& w) const {
    for (const MenuItem* m : w.form->topMenus())
        if (m->visible())
            return true;
    return false;
}

// The menu bar across the top, the controls' area below it and the status bar docked over
// the bottom edge, all inside the window's own size.
void QtView::layOut(Window& w) {
    const int width = pixels(w.form->width());
    const int height = pixels(w.form->height());
    const bool bar = menuBarWanted(w);
    const int barHeight = bar ? w.menuBar->sizeHint().height() : 0;
    w.menuBar->setVisible(bar);
    w.menuBar->setGeometry(0, 0, width, barHeight);
    w.client->setGeometry(0, barHeight, width, height - barHeight);
    if (w.statusBar) {
        if (QWidget* strip = widget(*w.statusBar)) {
            int h = pixels(w.statusBar->height());
            if (h <= 0)
                h = strip->sizeHint().height();
            strip->setGeometry(0, height - h, width, h);
            strip->raise();
        }
    }
}

} // namespace orvane
