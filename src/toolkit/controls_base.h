#pragma once

// What every control has: a name on its form, the common properties, the mouse events and the
// one way a property changes (compare, store, tell the view, run the control's own event).
// The kinds of control are in controls.h.

#include "toolkit/value.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace orvane {

class Form;

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
    Range, // the limits and the steps of a ranged control
    Focus,
    Alignment,
    WordWrap,
    Transparent,
    Locked,
    Default,
    Cancel,
    Shape,      // a shape's outline and its fill colour
    WindowStyle // a form's fixed size, centring and staying on top
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

// One property a script can name: how to read it and how to assign it from text.
struct Property {
    std::string_view name;
    PropValue (*get)(const Control&);
    // Null for a property that can only be read.
    SetResult (*set)(Control&, std::string_view name, std::string_view text);
};

// The properties a kind of control adds to those of the kind it extends.
struct PropertyTable {
    std::span<const Property> rows;
    const PropertyTable* base = nullptr;
    const Property* find(std::string_view name) const;
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
    int left() const { return m_place.left; }
    int top() const { return m_place.top; }
    int width() const { return m_place.width; }
    int height() const { return m_place.height; }
    void setLeft(int v);
    void setTop(int v);
    void setWidth(int v);
    void setHeight(int v);
    void move(int left, int top, int width, int height);
    void move(int left, int top) { move(left, top, width(), height()); }

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
    // A new tag, told with its text: where a window shows a flag in a tag, it hears a script or
    // a file set it.
    std::function<void(const std::string&)> onTagChange;

    // Generic access by property name, for the scenario runner.
    virtual std::string defaultProperty() const = 0;
    std::optional<PropValue> property(std::string_view name) const;
    // As the program's own code assigns it, with the control's change handling.
    SetResult setProperty(std::string_view name, std::string_view text);
    // What a user's edit would do (a text box's text, a scroll bar's value, ...).
    virtual SetResult userSet(std::string_view text);
    // The properties a script can name, this kind's own first.
    virtual const PropertyTable& properties() const;

    void setObserver(ControlObserver* o) { m_observer = o; }
    ControlObserver* observer() const { return m_observer; }

  protected:
    void notify(Prop what);
    // Every property changes here. It compares before it stores: most assignments repeat the
    // value the control already has (every tick sets every caption), and those should cost a
    // comparison and nothing more.
    template <class T, class V> bool assign(T& field, V&& value, Prop what) {
        if (field == value)
            return false;
        field = std::forward<V>(value);
        notify(what);
        return true;
    }
    // The same, then the control's own change event, once the view has the new value.
    template <class T, class V>
    bool assign(T& field, V&& value, Prop what, const std::function<void()>& event) {
        if (!assign(field, std::forward<V>(value), what))
            return false;
        if (event)
            event();
        return true;
    }

  private:
    struct Place {
        int left = 0, top = 0, width = 0, height = 0;
        bool operator==(const Place&) const = default;
    };

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
    Place m_place;
};

} // namespace orvane
