#pragma once

// The control model: small plain objects with the properties and events the window logic
// works with. Setting a property to a new value tells the view and runs the control's own
// change event synchronously; setting the same value does nothing. No toolkit types here.

#include "toolkit/controls_base.h"
#include "dates/datetime.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

class Scheduler;

class Label : public Control {
  public:
    Label(Form* form, std::string name, int index = -1)
        : Control(form, Kind::Label, std::move(name), index) {}
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string c); // fires onChange when the caption changes
    Align alignment() const { return m_align; }
    void setAlignment(Align a) { assign(m_align, a, Prop::Alignment); }
    bool transparent() const { return m_transparent; }
    void setTransparent(bool t) { assign(m_transparent, t, Prop::Transparent); }
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool w) { assign(m_wordWrap, w, Prop::WordWrap); }
    // The text stands in the middle of the box's height instead of at its top.
    bool centredVertically() const { return m_centredVertically; }
    void setCentredVertically(bool c) { assign(m_centredVertically, c, Prop::Alignment); }
    // The text is drawn as large as the box allows, undistorted, with its digits where text of
    // the same length would put them (the font's size is the view's to choose).
    bool fitText() const { return m_fitText; }
    void setFitText(bool f) { assign(m_fitText, f, Prop::Font); }
    std::function<void()> onChange;

    std::string defaultProperty() const override { return "Caption"; }
    const PropertyTable& properties() const override;

  private:
    std::string m_caption;
    Align m_align = Align::Left;
    bool m_transparent = false;
    bool m_wordWrap = true;
    bool m_centredVertically = false;
    bool m_fitText = false;
};

class TextBox : public Control {
  public:
    TextBox(Form* form, std::string name, int index = -1);
    const std::string& text() const { return m_text; }
    void setText(std::string t); // fires onChange when the text changes
    bool locked() const { return m_locked; }
    void setLocked(bool l) { assign(m_locked, l, Prop::Locked); }
    Align alignment() const { return m_align; }
    void setAlignment(Align a) { assign(m_align, a, Prop::Alignment); }
    std::function<void()> onChange;

    std::string defaultProperty() const override { return "Text"; }
    const PropertyTable& properties() const override;
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
    int min() const { return m_range.min; }
    int max() const { return m_range.max; }
    void setRange(int min, int max);
    std::function<void()> onChange;

    std::string defaultProperty() const override { return "Value"; }
    const PropertyTable& properties() const override;

  protected:
    RangedControl(Form* form, Kind kind, std::string name, int index, int max)
        : Control(form, kind, std::move(name), index), m_range{0, max} {}

  private:
    struct Range {
        int min, max;
        bool operator==(const Range&) const = default;
    };
    int m_value = 0;
    Range m_range;
};

// A vertical scroll bar. Its up arrow raises the value, like a spin box.
class ScrollBar : public RangedControl {
  public:
    ScrollBar(Form* form, std::string name, int index = -1);
    int smallChange() const { return m_small; }
    int largeChange() const { return m_large; }
    void setLargeChange(int l) { assign(m_large, l, Prop::Range); }

    const PropertyTable& properties() const override;
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
    const PropertyTable& properties() const override;
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
    const PropertyTable& properties() const override;
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
    void setDefault(bool d) { assign(m_default, d, Prop::Default); }
    bool isCancel() const { return m_cancel; }
    void setCancel(bool c) { assign(m_cancel, c, Prop::Cancel); }

    std::string defaultProperty() const override { return "Caption"; }
    const PropertyTable& properties() const override;

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
    const PropertyTable& properties() const override;

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

    // What a tick shows depends on. Interval: on the tick itself (a timeout, a blink). Second:
    // only on the clock's whole second and the program's state, so a tick between two changes
    // of either would show the same again; the scheduler then runs it in its rounds, right
    // after each change, whatever its interval. The window declares this once; scripts and
    // files never see it, and Interval and Enabled keep their meaning.
    enum class Pace { Interval, Second };
    Pace pace() const { return m_pace; }
    void setPace(Pace p);

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
    const PropertyTable& properties() const override;

  private:
    Scheduler& m_scheduler;
    int m_interval;
    Pace m_pace = Pace::Interval;
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
    const PropertyTable& properties() const override;

  private:
    std::string m_caption;
};

enum class ShapeType { Rectangle, Square, Oval, Circle, RoundedRectangle };

class Shape : public Control {
  public:
    Shape(Form* form, std::string name, int index = -1);
    ShapeType shape() const { return m_shape; }
    void setShape(ShapeType s) { assign(m_shape, s, Prop::Shape); }
    Color fillColor() const { return m_fill; }
    void setFillColor(Color c) { assign(m_fill, c, Prop::Shape); }
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
    const PropertyTable& properties() const override;

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
    const PropertyTable& properties() const override;
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
