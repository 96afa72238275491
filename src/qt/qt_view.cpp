#include "qt/qt_view.h"

#include "qt/qt_kind.h"
#include "qt/qt_widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// Where a caption marks its access letter ("&Hold" marks H); -1 when it marks none. "&&" is a
// plain "&".
qsizetype accessMark(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] != '&')
            return i;
        ++i;
    }
    return -1;
}

QChar accessLetter(const QString& text) {
    const qsizetype at = accessMark(text);
    return at < 0 ? QChar() : text[at + 1].toLower();
}

bool isButton(const Control& c) {
    return c.kind() == Kind::CommandButton || c.kind() == Kind::OptionButton ||
           c.kind() == Kind::CheckBox;
}

} // namespace

QtView::QtView(App& app) : m_app(app) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    // Watching the whole application lets keys reach a form before any of its widgets, and
    // sees mouse events at each widget they pass on their way up to the form.
    qApp->installEventFilter(this);
    holdUntilTheLoopWaits();
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

int QtView::twips(int pixels) const {
    return int(std::ceil(double(pixels) * 1440.0 / m_dpi - 1e-9));
}

double QtView::scaleOf(const Control& c) const {
    auto it = m_bindings.find(&c.form());
    return it == m_bindings.end() ? 1.0 : it->second.window->scale;
}

int QtView::pixels(const Control& c, int twips) const {
    return int(std::floor(double(twips) * m_dpi / 1440.0 * scaleOf(c)));
}

// Both edges are converted, so controls that touch in twips still touch on screen.
QRect QtView::rectOf(const Control& c) const {
    const int x = pixels(c, c.left());
    const int y = pixels(c, c.top());
    return QRect(x, y, pixels(c, c.left() + c.width()) - x, pixels(c, c.top() + c.height()) - y);
}

double QtView::fittingScale(const Window& w) const {
    const Form& f = *w.form;
    // A window without a frame is made to cover what it is given (the present window).
    if (f.borderless())
        return 1.0;
    const QScreen* screen = QGuiApplication::screenAt(QPoint(pixels(f.left()), pixels(f.top())));
    if (!screen)
        screen = w.top->screen() ? w.top->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return 1.0;
    const QRect room = screen->availableGeometry();
    const double width = pixels(f.width());
    const double height = pixels(f.height());
    if (width <= 0 || height <= 0)
        return 1.0;
    return std::min(
        {1.0, (room.width() - FrameWidth) / width, (room.height() - FrameHeight) / height});
}

void QtView::rescale(Window& w, double scale) {
    w.scale = scale;
    for (Control* c : w.form->controls()) {
        sync(*c, Prop::Font);
        sync(*c, Prop::Geometry);
    }
}

QWidget* QtView::window(const Form& form) const {
    auto it = m_windows.find(&form);
    return it == m_windows.end() ? nullptr : it->second->top;
}

void QtView::paintNow(const Form& form) {
    // Qt paints a window on the update request it posts at the first change; sending that
    // request now puts this window before those whose controls changed earlier.
    if (QWidget* top = window(form))
        QCoreApplication::sendPostedEvents(top, QEvent::UpdateRequest);
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
    // A drag sends a stream of moves, and a window manager may move a window it has just
    // mapped more than once: the place is read once the moves have stopped.
    w.moveSettle = new QTimer(w.top);
    w.moveSettle->setSingleShot(true);
    w.moveSettle->setInterval(300);
    connect(w.moveSettle, &QTimer::timeout, this, [this, f = &form] {
        auto it = m_windows.find(f);
        if (it != m_windows.end())
            reportMove(*it->second);
    });
    w.top->onMoved = [timer = w.moveSettle] { timer->start(); };

    for (Control* c : form.controls())
        makeWidget(*c, w);
    // Children move into their picture boxes and frames only once every widget exists, so
    // that siblings keep the stacking order in which the controls were made.
    for (Control* c : form.controls()) {
        if (!c->container())
            continue;
        QWidget* child = widget(*c);
        QWidget* parent = widget(*c->container());
        if (child && parent && child->parentWidget() != parent)
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
    std::erase_if(m_held, [&](const auto& held) {
        auto b = m_bindings.find(held.first);
        return b != m_bindings.end() && b->second.window == &w;
    });
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
    w.top->onMoved = nullptr;
    w.moveSettle->stop();
    w.top->hide();
    w.top->deleteLater();
    m_windows.erase(it);
}

void QtView::reportMove(Window& w) {
    Form& f = *w.form;
    if (!w.top->isVisible() || f.centered() || f.borderless())
        return;
    const QPoint at = w.top->pos();
    if (at == w.shownAt)
        return;
    deliver([&] { f.movedByUser(twips(at.x()), twips(at.y())); });
}

void QtView::makeWidget(Control& c, Window& w) {
    if (c.kind() == Kind::MenuItem) {
        makeMenuItem(static_cast<MenuItem&>(c), w);
        return;
    }
    const KindView& kind = kindView(c.kind());
    QWidget* widget = kind.make(c, w.client, *this);
    if (!widget)
        return;
    if (c.kind() == Kind::StatusBar)
        w.statusBar = &c;
    widget->setObjectName(qstr(c.displayName()));
    m_bindings[&c] = Binding{&w, widget, nullptr, nullptr};
    m_controlOf[widget] = &c;
    kind.connect(c, widget, *this);
}

void QtView::syncAll(Control& c) {
    for (Prop p : {Prop::Range, Prop::Caption, Prop::Text, Prop::Value, Prop::Checked,
                   Prop::Alignment, Prop::WordWrap, Prop::Locked, Prop::Default, Prop::Shape,
                   Prop::Font, Prop::BorderStyle, Prop::BackColor, Prop::ForeColor,
                   Prop::ToolTipText, Prop::Enabled, Prop::Geometry, Prop::Visible})
        sync(c, p);
}

void QtView::controlChanged(Control& control, Prop what) {
    sync(control, what);
}

// Every update runs with the widget's signals blocked, so nothing the program sets comes back
// to it as if the user had done it.
void QtView::sync(Control& c, Prop what) {
    auto it = m_bindings.find(&c);
    if (it == m_bindings.end())
        return;
    const Binding& b = it->second;
    if (m_holding && heldBack(*b.window, what)) {
        m_held.emplace_back(&c, what);
        return;
    }
    if (c.kind() == Kind::Form) {
        syncForm(*b.window, what);
        return;
    }
    if (c.kind() == Kind::MenuItem) {
        syncMenuItem(static_cast<MenuItem&>(c), b, what);
        return;
    }
    QWidget* w = b.widget;
    const QSignalBlocker blocker(w);
    const KindView& kind = kindView(c.kind());
    switch (what) {
    case Prop::Enabled:
        w->setEnabled(c.enabled());
        break;
    case Prop::Visible:
        w->setVisible(c.visible());
        break;
    case Prop::ToolTipText:
        w->setToolTip(qstr(c.toolTipText()));
        break;
    case Prop::Font:
        w->setFont(toQFont(c.font(), b.window->scale));
        break;
    case Prop::Focus:
        w->setFocus();
        break;
    case Prop::Geometry:
        kind.place(c, w, *this);
        break;
    default:
        break;
    }
    kind.sync(c, w, what, *this);
    if (what == Prop::Caption && isButton(c))
        keepMenuLetters(*b.window, w);
}

// A menu title keeps its access letter: a button of the same window that marks the same letter
// shows its caption unmarked, so Alt and the letter open the menu, never the button.
void QtView::keepMenuLetters(const Window& window, QWidget* w) {
    auto* button = qobject_cast<QAbstractButton*>(w);
    const QChar letter = button ? accessLetter(button->text()) : QChar();
    if (letter.isNull())
        return;
    for (const MenuItem* menu : window.form->topMenus()) {
        if (menu->visible() && accessLetter(qstr(menu->caption())) == letter) {
            QString text = button->text();
            button->setText(text.remove(accessMark(text), 1));
            return;
        }
    }
}

void QtView::resyncButtonCaptions(const Window& window) {
    for (const auto& [control, binding] : m_bindings)
        if (binding.window == &window && isButton(*control))
            sync(*const_cast<Control*>(control), Prop::Caption);
}

void QtView::layOutWindowOf(const Control& c) {
    auto it = m_bindings.find(&c);
    if (it != m_bindings.end())
        layOut(*it->second.window);
}

void QtView::input(Control& c, const std::function<void()>& action, std::optional<Prop> resync) {
    if (!bound(&c))
        return;
    if (c.acceptsInput())
        deliver(action);
    if (resync && bound(&c))
        sync(c, *resync);
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
    const int width = pixels(*w.form, w.form->width());
    const int height = pixels(*w.form, w.form->height());
    const bool bar = menuBarWanted(w);
    const int barHeight = bar ? w.menuBar->sizeHint().height() : 0;
    w.menuBar->setVisible(bar);
    w.menuBar->setGeometry(0, 0, width, barHeight);
    w.client->setGeometry(0, barHeight, width, height - barHeight);
    if (w.statusBar) {
        if (QWidget* strip = widget(*w.statusBar)) {
            int h = pixels(*w.statusBar, w.statusBar->height());
            if (h <= 0)
                h = strip->sizeHint().height();
            strip->setGeometry(0, height - h, width, h);
            strip->raise();
        }
    }
}

} // namespace orvane
