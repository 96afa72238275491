#include "platform/controls.h"

#include "platform/controls_detail.h"
#include "platform/form.h"

#include <charconv>

namespace orvane {

using detail::badValue;
using detail::parseInt;
using detail::withBool;
using detail::withInt;

namespace {

std::optional<Color> parseColour(std::string_view t) {
    if (t.size() > 2 && (t.substr(0, 2) == "&H" || t.substr(0, 2) == "&h")) {
        t.remove_prefix(2);
        if (!t.empty() && t.back() == '&')
            t.remove_suffix(1);
        unsigned long v = 0;
        auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, 16);
        if (ec != std::errc() || p != t.data() + t.size() || v > 0xFFFFFFFFul)
            return std::nullopt;
        return Color(v);
    }
    if (auto n = parseInt(t); n && *n >= 0 && *n <= 0xFFFFFFFF)
        return Color(*n);
    return std::nullopt;
}

SetResult noSuchProperty(const Control& c, std::string_view prop) {
    return SetResult::fail(c.displayName() + " has no property " + std::string(prop));
}

} // namespace

// ---- Control ----

Control::Control(Form* form, Kind kind, std::string name, int index)
    : m_form(form), m_kind(kind), m_name(std::move(name)), m_index(index) {
    if (kind != Kind::Form)
        m_form->registerControl(this);
}

Control::~Control() {
    if (m_kind != Kind::Form)
        m_form->unregisterControl(this);
}

std::string Control::displayName() const {
    if (m_index < 0)
        return m_name;
    return m_name + "(" + std::to_string(m_index) + ")";
}

void Control::notify(Prop what) {
    if (m_observer)
        m_observer->controlChanged(*this, what);
}

void Control::setEnabled(bool on) {
    assign(m_enabled, on, Prop::Enabled);
}
void Control::setVisible(bool on) {
    assign(m_visible, on, Prop::Visible);
}
void Control::setTag(std::string tag) {
    assign(m_tag, std::move(tag), Prop::Tag);
}
void Control::setToolTipText(std::string t) {
    assign(m_toolTip, std::move(t), Prop::ToolTipText);
}
void Control::setBackColor(Color c) {
    assign(m_backColor, c, Prop::BackColor);
}
void Control::setForeColor(Color c) {
    assign(m_foreColor, c, Prop::ForeColor);
}
void Control::setFont(Font f) {
    assign(m_font, std::move(f), Prop::Font);
}
void Control::setBorderStyle(int s) {
    assign(m_borderStyle, s, Prop::BorderStyle);
}
void Control::setLeft(int v) {
    assign(m_left, v, Prop::Geometry);
}
void Control::setTop(int v) {
    assign(m_top, v, Prop::Geometry);
}
void Control::setWidth(int v) {
    assign(m_width, v, Prop::Geometry);
}
void Control::setHeight(int v) {
    assign(m_height, v, Prop::Geometry);
}

void Control::move(int left, int top, int width, int height) {
    if (m_left == left && m_top == top && m_width == width && m_height == height)
        return;
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    notify(Prop::Geometry);
}

bool Control::acceptsInput() const {
    for (const Control* c = this; c; c = c->container())
        if (!c->enabled())
            return false;
    if (m_kind == Kind::MenuItem && !static_cast<const MenuItem*>(this)->reachable())
        return false;
    return m_form->enabled();
}

void Control::setFocus() {
    notify(Prop::Focus);
}

void Control::click() {
    if (onClick)
        onClick();
}

void Control::dblClick() {
    if (onDblClick)
        onDblClick();
}

void Control::mouseDown(MouseButton b) {
    if (onMouseDown)
        onMouseDown(b);
}

void Control::mouseUp(MouseButton b) {
    if (onMouseUp)
        onMouseUp(b);
}

std::optional<PropValue> Control::property(std::string_view p) const {
    if (p == "Tag")
        return PropValue(m_tag);
    if (p == "Enabled")
        return PropValue(m_enabled);
    if (p == "Visible")
        return PropValue(m_visible);
    if (p == "BackColor")
        return PropValue::colour(m_backColor);
    if (p == "ForeColor")
        return PropValue::colour(m_foreColor);
    if (p == "ToolTipText")
        return PropValue(m_toolTip);
    if (p == "Left")
        return PropValue(m_left);
    if (p == "Top")
        return PropValue(m_top);
    if (p == "Width")
        return PropValue(m_width);
    if (p == "Height")
        return PropValue(m_height);
    if (p == "BorderStyle")
        return PropValue(m_borderStyle);
    return std::nullopt;
}

SetResult Control::setProperty(std::string_view p, std::string_view text) {
    if (p == "Tag") {
        setTag(std::string(text));
        return {};
    }
    if (p == "ToolTipText") {
        setToolTipText(std::string(text));
        return {};
    }
    if (p == "Enabled")
        return withBool(p, text, [this](bool b) { setEnabled(b); });
    if (p == "Visible")
        return withBool(p, text, [this](bool b) { setVisible(b); });
    if (p == "BackColor" || p == "ForeColor") {
        auto c = parseColour(text);
        if (!c)
            return badValue(p, text);
        p == "BackColor" ? setBackColor(*c) : setForeColor(*c);
        return {};
    }
    if (p == "Left")
        return withInt(p, text, [this](int v) { setLeft(v); });
    if (p == "Top")
        return withInt(p, text, [this](int v) { setTop(v); });
    if (p == "Width")
        return withInt(p, text, [this](int v) { setWidth(v); });
    if (p == "Height")
        return withInt(p, text, [this](int v) { setHeight(v); });
    if (p == "BorderStyle")
        return withInt(p, text, [this](int v) { setBorderStyle(v); });
    return noSuchProperty(*this, p);
}

SetResult Control::userSet(std::string_view) {
    return SetResult::fail(displayName() + " cannot be edited");
}

// ---- Label ----

void Label::setCaption(std::string c) {
    if (assign(m_caption, std::move(c), Prop::Caption) && onChange)
        onChange();
}

std::optional<PropValue> Label::property(std::string_view p) const {
    if (p == "Caption")
        return PropValue(m_caption);
    return Control::property(p);
}

SetResult Label::setProperty(std::string_view p, std::string_view text) {
    if (p == "Caption") {
        setCaption(std::string(text));
        return {};
    }
    return Control::setProperty(p, text);
}

} // namespace orvane
