#pragma once

// The control model: small plain objects with the properties and events the window logic
// works with. Setting a property to a new value tells the view and runs the control's own
// change event synchronously; setting the same value does nothing. No toolkit types here.

#include "platform/datetime.h"
#include "platform/value.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

class Form;
class Scheduler;

enum class Kind {
    Form,
    Label,
    TextBox,
    ScrollBar,
    CheckBox,
    OptionButton,
    CommandButton,
    MenuItem,
    Timer,
    PictureBox,
    Frame,
    Shape,
    StatusBar,
    StatusPanel,
    ProgressBar,
    Calendar,
    Image,
};

// What changed, for the view.
enum class Prop {
    Caption,
    Text,
    Value,
    Tag,
    Enabled,
    Visible,
    Checked,
    BackColor,
    ForeColor,
    ToolTipText,
    Geometry,
    Font,
    BorderStyle,
    Interval,
    Range,
    Focus,
};

enum class MouseButton { Left, Right, Middle };
enum class Align { Left, Center, Right };

class Control;

// The view side (the Qt binding) listens to every change through this one interface.
class ControlObserver {
  public:
    virtual ~ControlObserver() = default;
    virtual void controlChanged(Control& control, Prop what) = 0;
};

struct Font {
    double size = 8.0; // points
    bool bold = false;
    std::string family; // empty: the default sans-serif face
    bool operator==(const Font&) const = default;
};

// The outcome of assigning a property from text (scenario runner, launch data file).
struct SetResult {
    bool ok = true;
    std::string error;
    static SetResult fail(std::string e) { return {false, std::move(e)}; }
};

class Control {
  public:
    // A control registers itself with its form. Index is its place in a control array, or -1.
    Control(Form* form, Kind kind, std::string name, int index = -1);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind kind() const { return m_kind; }
    const std::string& name() const { return m_name; }
    int index() const { return m_index; }
    // "lblTime(3)", "sbrStatusBar(pnlCurrentFile)" or plain "lblTarget".
    virtual std::string displayName() const;
    Form& form() const { return *m_form; }

    // The picture box or frame that holds this control; positions are relative to it.
    Control* container() const { return m_container; }
    void setContainer(Control* c) { m_container = c; }

    bool enabled() const { return m_enabled; }
    virtual void setEnabled(bool on);
    bool visible() const { return m_visible; }
    virtual void setVisible(bool on);
    const std::string& tag() const { return m_tag; }
    void setTag(std::string tag);
    const std::string& toolTipText() const { return m_toolTip; }
    void setToolTipText(std::string text);
    Color backColor() const { return m_backColor; }
    void setBackColor(Color c);
    Color foreColor() const { return m_foreColor; }
    void setForeColor(Color c);
    const Font& font() const { return m_font; }
    void setFont(Font f);
    int borderStyle() const { return m_borderStyle; }
    void setBorderStyle(int style);

    // Geometry in twips.
    int left() const { return m_left; }
    int top() const { return m_top; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    void setLeft(int v);
    void setTop(int v);
    void setWidth(int v);
    void setHeight(int v);
    void move(int left, int top, int width, int height);
    void move(int left, int top) { move(left, top, m_width, m_height); }

    // True when a person could reach the control: it, its containers and its form are enabled.
    bool acceptsInput() const;

    // Asks the view to put the keyboard focus here.
    void setFocus();

    // What the user does; each runs the control's event (a check box also toggles, an option
    // button is selected). Whether a disabled control takes input is the caller's business.
    virtual void click();
    void dblClick();
    void mouseDown(MouseButton b);
    void mouseUp(MouseButton b);

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(MouseButton)> onMouseDown;
    std::function<void(MouseButton)> onMouseUp;

    // Generic access by property name, for the scenario runner.
    virtual std::string defaultProperty() const = 0;
    virtual std::optional<PropValue> property(std::string_view name) const;
    // As the program's own code assigns it, with the control's change handling.
    virtual SetResult setProperty(std::string_view name, std::string_view text);
    // What a user's edit would do (a text box's text, a scroll bar's value, ...).
    virtual SetResult userSet(std::string_view text);

    void setObserver(ControlObserver* o) { m_observer = o; }
    ControlObserver* observer() const { return m_observer; }

  protected:
    void notify(Prop what);
    // Compares before it stores: most assignments repeat the value the control already has
    // (every tick sets every caption), and those should cost a comparison and nothing more.
    template <class T, class V> bool assign(T& field, V&& value, Prop what) {
        if (field == value)
            return false;
        field = std::forward<V>(value);
        notify(what);
        return true;
    }

  private:
    Form* m_form;
    Kind m_kind;
    std::string m_name;
    int m_index;
    Control* m_container = nullptr;
    ControlObserver* m_observer = nullptr;
    bool m_enabled = true;
    bool m_visible = true;
    std::string m_tag;
    std::string m_toolTip;
    Color m_backColor = ButtonFace;
    Color m_foreColor = 0x000000;
    Font m_font;
    int m_borderStyle = 0;
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
};

class Label : public Control {
  public:
    Label(Form* form, std::string name, int index = -1)
        : Control(form, Kind::Label, std::move(name), index) {}
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string c); // fires onChange when the caption changes
    Align alignment() const { return m_align; }
    void setAlignment(Align a) { m_align = a; }
    bool transparent() const { return m_transparent; }
    void setTransparent(bool t) { m_transparent = t; }
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool w) { m_wordWrap = w; }
    std::function<void()> onChange;

    std::string defaultProperty() const override { return "Caption"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;

  private:
    std::string m_caption;
    Align m_align = Align::Left;
    bool m_transparent = false;
    bool m_wordWrap = true;
};

class TextBox : public Control {
  public:
    TextBox(Form* form, std::string name, int index = -1);
    const std::string& text() const { return m_text; }
    void setText(std::string t); // fires onChange when the text changes
    bool locked() const { return m_locked; }
    void setLocked(bool l) { m_locked = l; }
    Align alignment() const { return m_align; }
    void setAlignment(Align a) { m_align = a; }
    std::function<void()> onChange;

    std::string defaultProperty() const override { return "Text"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;
    SetResult userSet(std::string_view text) override;

  private:
    std::string m_text;
    bool m_locked = false;
    Align m_align = Align::Left;
};

// A whole-number value kept within a range: the scroll bar and the progress bar.
class RangedControl : public Control {
  public:
    int value() const { return m_value; }
    void setValue(int v); // clamped to the range; fires onChange when it changes
    int min() const { return m_min; }
    int max() const { return m_max; }
    void setRange(int min, int max);
    std::function<void()> onChange;

    std::string defaultProperty() const override { return "Value"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;

  protected:
    RangedControl(Form* form, Kind kind, std::string name, int index, int max)
        : Control(form, kind, std::move(name), index), m_max(max) {}

  private:
    int m_value = 0, m_min = 0, m_max;
};

// A vertical scroll bar. Its up arrow raises the value, like a spin box.
class ScrollBar : public RangedControl {
  public:
    ScrollBar(Form* form, std::string name, int index = -1);
    int smallChange() const { return m_small; }
    int largeChange() const { return m_large; }
    void setLargeChange(int l) { m_large = l; }

    std::optional<PropValue> property(std::string_view name) const override;
    SetResult userSet(std::string_view text) override;

  private:
    int m_small = 1, m_large = 1;
};

class CheckBox : public Control {
  public:
    CheckBox(Form* form, std::string name, int index = -1);
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string c);
    int value() const { return m_value; }
    void setValue(int v);  // 0 or 1; a change fires onClick
    void click() override; // toggles

    std::string defaultProperty() const override { return "Value"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;
    SetResult userSet(std::string_view text) override;

  private:
    std::string m_caption;
    int m_value = 0;
};

// Option buttons in the same container (or directly on the same form) form one group:
// selecting one deselects the others.
class OptionButton : public Control {
  public:
    OptionButton(Form* form, std::string name, int index = -1);
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string c);
    bool value() const { return m_value; }
    void setValue(bool v); // becoming true deselects the siblings and fires onClick
    void click() override; // selects

    std::string defaultProperty() const override { return "Value"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;
    SetResult userSet(std::string_view text) override;

  private:
    std::string m_caption;
    bool m_value = false;
};

class CommandButton : public Control {
  public:
    CommandButton(Form* form, std::string name, int index = -1);
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string c);
    bool isDefault() const { return m_default; }
    void setDefault(bool d) { m_default = d; }
    bool isCancel() const { return m_cancel; }
    void setCancel(bool c) { m_cancel = c; }

    std::string defaultProperty() const override { return "Caption"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;

  private:
    std::string m_caption;
    bool m_default = false;
    bool m_cancel = false;
};

// A menu entry. Top-level menus have no parent; a caption of "-" makes a separator.
class MenuItem : public Control {
  public:
    MenuItem(Form* form, std::string name, MenuItem* parent, std::string caption,
             std::string shortcut = {});
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string c);
    bool checked() const { return m_checked; }
    void setChecked(bool c);
    const std::string& shortcut() const { return m_shortcut; }
    bool isSeparator() const { return m_caption == "-"; }
    MenuItem* parentMenu() const { return m_parent; }
    const std::vector<MenuItem*>& items() const { return m_items; }
    // A menu item is reachable only when it and every menu above it are enabled.
    bool reachable() const;

    std::string defaultProperty() const override { return "Caption"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;

  private:
    MenuItem* m_parent;
    std::vector<MenuItem*> m_items;
    std::string m_caption;
    std::string m_shortcut;
    bool m_checked = false;
};

// A timer on the user-interface thread. The scheduler decides when it ticks; a tick never
// starts while the previous one of the same timer is still running.
class Timer : public Control {
  public:
    Timer(Form* form, std::string name, int intervalMs, bool enabled);
    ~Timer() override;
    int interval() const { return m_interval; }
    void setInterval(int ms);
    void setEnabled(bool on) override;
    // Run by the scheduler.
    void fire();
    bool ticking() const { return m_ticking; }
    // How many times the tick handler has run, for the benchmark's count of ticks a second.
    std::uint64_t ticks() const { return m_ticks; }

    // The tick handler. A timer with nothing to do costs no wake-ups, so the scheduler hears
    // when one is assigned.
    class TickHandler {
      public:
        explicit TickHandler(Timer& owner) : m_owner(owner) {}
        TickHandler& operator=(std::function<void()> f);
        explicit operator bool() const { return bool(m_fn); }
        bool operator==(std::nullptr_t) const { return !m_fn; }
        void operator()() const { m_fn(); }

      private:
        Timer& m_owner;
        std::function<void()> m_fn;
    };
    TickHandler onTimer{*this};

    std::string defaultProperty() const override { return "Enabled"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;

  private:
    Scheduler& m_scheduler;
    int m_interval;
    bool m_ticking = false;
    std::uint64_t m_ticks = 0;
};

class PictureBox : public Control {
  public:
    PictureBox(Form* form, std::string name, int index = -1);
    std::string defaultProperty() const override { return "Tag"; }
};

class Frame : public Control {
  public:
    Frame(Form* form, std::string name, int index = -1);
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string c);
    std::string defaultProperty() const override { return "Caption"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;

  private:
    std::string m_caption;
};

enum class ShapeType { Rectangle, Square, Oval, Circle, RoundedRectangle };

class Shape : public Control {
  public:
    Shape(Form* form, std::string name, int index = -1);
    ShapeType shape() const { return m_shape; }
    void setShape(ShapeType s) { m_shape = s; }
    Color fillColor() const { return m_fill; }
    void setFillColor(Color c) { m_fill = c; }
    std::string defaultProperty() const override { return "Visible"; }

  private:
    ShapeType m_shape = ShapeType::Circle;
    Color m_fill = 0x0000FF;
};

class StatusBar;

// One keyed panel of a status bar, addressed as sbrStatusBar(pnlCurrentFile).
class StatusPanel : public Control {
  public:
    StatusPanel(StatusBar& bar, std::string key, int widthTwips);
    const std::string& key() const { return m_key; }
    const std::string& text() const { return m_text; }
    void setText(std::string t);
    std::string displayName() const override;
    std::string defaultProperty() const override { return "Text"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;

  private:
    std::string m_key;
    std::string m_text;
};

class StatusBar : public Control {
  public:
    StatusBar(Form* form, std::string name);
    ~StatusBar() override;
    StatusPanel& addPanel(std::string key, int widthTwips, std::string text = {});
    StatusPanel* panel(std::string_view key) const;
    const std::vector<std::unique_ptr<StatusPanel>>& panels() const { return m_panels; }
    std::string defaultProperty() const override { return "Visible"; }

  private:
    std::vector<std::unique_ptr<StatusPanel>> m_panels;
};

class ProgressBar : public RangedControl {
  public:
    ProgressBar(Form* form, std::string name);
};

// A month calendar. Its value is a date (midnight); a change fires onChange.
class Calendar : public Control {
  public:
    Calendar(Form* form, std::string name);
    DateTime date() const { return m_date; }
    void setDate(DateTime d);
    std::function<void()> onChange;
    std::string defaultProperty() const override { return "Value"; }
    std::optional<PropValue> property(std::string_view name) const override;
    SetResult setProperty(std::string_view name, std::string_view text) override;
    SetResult userSet(std::string_view text) override;

  private:
    DateTime m_date;
};

// A picture drawn by the view from a named resource (the logo).
class Image : public Control {
  public:
    Image(Form* form, std::string name, std::string resource);
    const std::string& resource() const { return m_resource; }
    std::string defaultProperty() const override { return "Visible"; }

  private:
    std::string m_resource;
};

// Builds a control array: makeArray<Label, 10>(this, "lblName") gives lblName(0) .. lblName(9).
template <class T, std::size_t... I>
std::array<T, sizeof...(I)> makeArrayImpl(Form* form, const char* name, std::index_sequence<I...>) {
    return {{T(form, name, int(I))...}};
}
template <class T, std::size_t N> std::array<T, N> makeArray(Form* form, const char* name) {
    return makeArrayImpl<T>(form, name, std::make_index_sequence<N>{});
}

} // namespace orvane
