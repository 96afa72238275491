#include "toolkit/controls.h"

#include "toolkit/controls_detail.h"
#include "toolkit/form.h"

namespace orvane {

using detail::readOnly;
using detail::row;

namespace {

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
    if (assign(m_tag, std::move(tag), Prop::Tag) && onTagChange)
        onTagChange(m_tag);
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
    move(v, top(), width(), height());
}
void Control::setTop(int v) {
    move(left(), v, width(), height());
}
void Control::setWidth(int v) {
    move(left(), top(), v, height());
}
void Control::setHeight(int v) {
    move(left(), top(), width(), v);
}

void Control::move(int left, int top, int width, int height) {
    assign(m_place, Place{left, top, width, height}, Prop::Geometry);
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

const Property* PropertyTable::find(std::string_view name) const {
    for (const PropertyTable* t = this; t; t = t->base)
        for (const Property& p : t->rows)
            if (p.name == name)
                return &p;
    return nullptr;
}

std::optional<PropValue> Control::property(std::string_view name) const {
    if (const Property* p = properties().find(name))
        return p->get(*this);
    return std::nullopt;
}

SetResult Control::setProperty(std::string_view name, std::string_view text) {
    const Property* p = properties().find(name);
    if (!p || !p->set)
        return noSuchProperty(*this, name);
    return p->set(*this, name, text);
}

namespace detail {
constexpr Property controlRows[] = {
    row<&Control::tag, &Control::setTag>("Tag"),
    row<&Control::enabled, &Control::setEnabled>("Enabled"),
    row<&Control::visible, &Control::setVisible>("Visible"),
    row<&Control::backColor, &Control::setBackColor>("BackColor"),
    row<&Control::foreColor, &Control::setForeColor>("ForeColor"),
    row<&Control::toolTipText, &Control::setToolTipText>("ToolTipText"),
    row<&Control::left, &Control::setLeft>("Left"),
    row<&Control::top, &Control::setTop>("Top"),
    row<&Control::width, &Control::setWidth>("Width"),
    row<&Control::height, &Control::setHeight>("Height"),
    row<&Control::borderStyle, &Control::setBorderStyle>("BorderStyle"),
};
const PropertyTable controlProperties{controlRows};
} // namespace detail

const PropertyTable& Control::properties() const {
    return detail::controlProperties;
}

SetResult Control::userSet(std::string_view) {
    return SetResult::fail(displayName() + " cannot be edited");
}

// ---- Label ----

void Label::setCaption(std::string c) {
    assign(m_caption, std::move(c), Prop::Caption, onChange);
}

const PropertyTable& Label::properties() const {
    static constexpr Property rows[] = {row<&Label::caption, &Label::setCaption>("Caption")};
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
}

} // namespace orvane
