#pragma once

// How the view shows one kind of control, all in one place: the widget it builds, how that
// widget follows the control's properties, and which of its signals are the user's input.
// Adding a kind of control means one more of these and one more line in kindView().

#include "toolkit/controls.h"

#include <QColor>
#include <QPalette>

class QWidget;

namespace orvane {

class QtView;

// How a kind's widget takes the mouse.
struct MouseRules {
    // The widget handles a left click itself; it still reports every press to the form.
    bool ownClicks = false;
    // A left press and release inside the control is its click.
    bool clickOnRelease = false;
};

class KindView {
  public:
    explicit KindView(MouseRules mouse = {}) : mouse(mouse) {}
    virtual ~KindView() = default;
    KindView(const KindView&) = delete;
    KindView& operator=(const KindView&) = delete;

    // The widget for a control of this kind, inside the form's client area; null for a kind
    // that shows none (a timer).
    virtual QWidget* make(Control& c, QWidget* client, QtView& view) const;
    // Hands the widget's user-triggered signals to the control.
    virtual void connect(Control& c, QWidget* w, QtView& view) const;
    // Puts the widget where the control's geometry says; most sit at their rectangle in their
    // container.
    virtual void place(Control& c, QWidget* w, QtView& view) const;
    // Brings the widget in step with one property. The view has blocked the widget's signals
    // and has done what every widget shares (enabled, visible, tooltip, font, focus, place).
    virtual void sync(Control& c, QWidget* w, Prop what, QtView& view) const;

    const MouseRules mouse;
};

const KindView& kindView(Kind kind);

// The kinds, each in the file that builds it.
const KindView& labelView();
const KindView& imageView();
const KindView& textBoxView();
const KindView& statusBarView();
const KindView& statusPanelView();
const KindView& checkBoxView();
const KindView& optionButtonView();
const KindView& commandButtonView();
const KindView& scrollBarView();
const KindView& progressBarView();
const KindView& calendarView();
const KindView& pictureBoxView();
const KindView& frameView();
const KindView& shapeView();

// Sets one colour role for the normal look only, unless alsoDisabled: a disabled widget keeps
// the style's greyed text.
void setColor(QWidget* w, QPalette::ColorRole role, QColor color, bool alsoDisabled);
// Fills the widget's background with the control's back colour.
void fill(QWidget* w, Color back);
Qt::Alignment toQt(Align a);

} // namespace orvane
