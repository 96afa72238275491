#pragma once

// The one Qt binding of the windows: it renders any form as a top-level window with a widget
// per control, keeps the widgets in step with the controls, and hands what the user does to
// the controls as events. There is no widget code of any particular window here.

#include "app.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"

#include <QEvent>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;
class QMouseEvent;
class QTimer;
class QWidget;

namespace orvane {

class FormWindow;

class QtView : public QObject, public AppObserver, public ControlObserver {
  public:
    explicit QtView(App& app);
    ~QtView() override;
    QtView(const QtView&) = delete;
    QtView& operator=(const QtView&) = delete;

    void formLoaded(Form& form) override;
    void formUnloaded(Form& form) override;
    void controlChanged(Control& control, Prop what) override;

    // The top-level window of a loaded form, or null.
    QWidget* window(const Form& form) const;
    // The widget that shows a control (for a form, the area below its menu bar), or null.
    QWidget* widget(const Control& control) const;
    // The menu a menu item opens (the right-click menu among them), or null.
    QMenu* menu(const MenuItem& item) const;
    QAction* action(const MenuItem& item) const;

    // Paints what changed in a form's window now rather than in its turn among the windows.
    void paintNow(const Form& form);
    // At the turn of a second, the windows of FIRST are painted before the others' widgets
    // take their new texts: until showOthers(), or until the event loop next waits (a message
    // box opened in the round), the other windows on the screen keep the texts they show,
    // and then take the new ones in the order they came (qt_view_turn.cpp).
    void showFirst(std::vector<const Form*> first);
    void showOthers();

    // Twips to pixels at the screen's logical resolution.
    int pixels(int twips) const;
    // The same for a size within a control's window, which is drawn smaller when it would
    // not fit its screen.
    int pixels(const Control& c, int twips) const;
    double scaleOf(const Control& c) const;
    // Pixels to the fewest twips that come back as those pixels.
    int twips(int pixels) const;
    // Where a control sits in its container, in pixels.
    QRect rectOf(const Control& c) const;

    // For the kinds of control (qt_kind.h).
    // Lays out again the window that shows the control (its menu bar or status bar changed).
    void layOutWindowOf(const Control& c);
    // A user's input on a control's widget: the action goes to the control when a person could
    // reach it, and then the widget shows what the control made of it.
    void input(Control& c, const std::function<void()>& action,
               std::optional<Prop> resync = std::nullopt);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Window {
        Form* form = nullptr;
        FormWindow* top = nullptr;
        QMenuBar* menuBar = nullptr;
        QWidget* client = nullptr;
        Control* statusBar = nullptr;
        bool placed = false;
        // Waits for the window system to settle after a move before the place is read.
        QTimer* moveSettle = nullptr;
        // Below 1 when the window is drawn smaller to fit its screen.
        double scale = 1.0;
        // Where the view last put the window, in pixels.
        QPoint shownAt;
    };
    struct Binding {
        Window* window = nullptr;
        QWidget* widget = nullptr;
        QAction* action = nullptr;
        QMenu* menu = nullptr;
    };

    // Building and keeping widgets in step (qt_view.cpp); each kind's own part is its
    // KindView's.
    void makeWidget(Control& c, Window& w);
    bool bound(const Control* c) const { return m_bindings.contains(c); }
    void syncAll(Control& c);
    void sync(Control& c, Prop what);
    // Whether a change to a control of window W waits for showOthers().
    bool heldBack(const Window& w, Prop what) const;
    void holdUntilTheLoopWaits();
    void layOut(Window& w);
    // Room a window manager's title bar and borders take around a window.
    static constexpr int FrameHeight = 32;
    static constexpr int FrameWidth = 8;
    // The scale at which the window fits the screen it is on, at most 1.
    double fittingScale(const Window& w) const;
    // Where a window of SIZE wanted at AT stands whole on its screen.
    QPoint onScreen(const Window& w, QPoint at, QSize size) const;
    // Draws the window again at a new scale: every control's place and font.
    void rescale(Window& w, double scale);
    bool menuBarWanted(const Window& w) const;

    // The window and its menus (qt_view_window.cpp).
    void syncForm(Window& w, Prop what);
    void makeMenuItem(MenuItem& item, Window& w);
    void syncMenuItem(MenuItem& item, const Binding& b, Prop what);
    // Buttons give up an access letter a shown menu title of their window has (qt_view.cpp).
    void keepMenuLetters(const Window& window, QWidget* w);
    static MenuItem* shortcutItem(Form& form, const QKeyEvent& event);
    void resyncButtonCaptions(const Window& window);
    void menuTriggered(MenuItem* item);
    // Tells the form where the user put its window, when that is not where the form put it.
    void reportMove(Window& w);

    // What the user does (qt_view_events.cpp).
    void deliver(const std::function<void()>& event);
    bool mouseEvent(Control& c, QWidget* widget, QMouseEvent* event);
    bool keyPress(Window& w, QKeyEvent* event);
    Window* windowOfHandle(const QObject* handle) const;
    Window* windowOfTop(const QWidget* top) const;
    Window* windowOwning(const QObject* o) const;
    bool refusesInput(const QObject* watched, QEvent::Type type) const;
    void endInput(Window& w);

    App& m_app;
    double m_dpi;
    std::map<const Form*, std::unique_ptr<Window>> m_windows;
    std::unordered_map<const Control*, Binding> m_bindings;
    std::unordered_map<const QObject*, Control*> m_controlOf;
    QPointer<QWidget> m_pressed;
    // While showFirst() holds: the windows painted first, and the changes of the others.
    bool m_holding = false;
    std::vector<const Form*> m_first;
    std::vector<std::pair<const Control*, Prop>> m_held;
};

} // namespace orvane
