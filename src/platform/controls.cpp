#include "platform/controls.h"

#include "platform/form.h"
#include "platform/services.h"

#include <algorithm>
#include <charconv>

namespace orvane {

namespace {

std::optional<std::int64_t> parseInt(std::string_view text) {
    return parseWholeNumber(text);
}

std::optional<bool> parseBool(std::string_view t) {
    if (t == "True" || t == "true" || t == "TRUE" || t == "1" || t == "-1")
        return true;
    if (t == "False" || t == "false" || t == "FALSE" || t == "0")
        return false;
    return std::nullopt;
}

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

SetResult badValue(std::string_view prop, std::string_view text) {
    return SetResult::fail("cannot set " + std::string(prop) + " to \"" + std::string(text) + "\"");
}

SetResult noSuchProperty(const Control& c, std::string_view prop) {
    return SetResult::fail(c.displayName() + " has no property " + std::string(prop));
}

template <class F> SetResult withInt(std::string_view prop, std::string_view text, F&& f) {
    auto n = parseInt(text);
    if (!n)
        return badValue(prop, text);
    f(int(*n));
    return {};
}

template <class F> SetResult withBool(std::string_view prop, std::string_view text, F&& f) {
    auto b = parseBool(text);
    if (!b)
        return badValue(prop, text);
    f(*b);
    return {};
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

// ---- TextBox ----

TextBox::TextBox(Form* form, std::string name, int index)
    : Control(form, Kind::TextBox, std::move(name), index) {
    setBackColor(0xFFFFFF);
}

void TextBox::setText(std::string t) {
    if (assign(m_text, std::move(t), Prop::Text) && onChange)
        onChange();
}

std::optional<PropValue> TextBox::property(std::string_view p) const {
    if (p == "Text")
        return PropValue(m_text);
    return Control::property(p);
}

SetResult TextBox::setProperty(std::string_view p, std::string_view text) {
    if (p == "Text") {
        setText(std::string(text));
        return {};
    }
    return Control::setProperty(p, text);
}

SetResult TextBox::userSet(std::string_view text) {
    if (m_locked)
        return SetResult::fail(displayName() + " is read-only");
    setText(std::string(text));
    return {};
}

// ---- ScrollBar ----

ScrollBar::ScrollBar(Form* form, std::string name, int index)
    : Control(form, Kind::ScrollBar, std::move(name), index) {}

void ScrollBar::setValue(int v) {
    v = std::clamp(v, m_min, m_max);
    if (assign(m_value, v, Prop::Value) && onChange)
        onChange();
}

void ScrollBar::setRange(int min, int max) {
    m_min = min;
    m_max = max;
    notify(Prop::Range);
    setValue(m_value);
}

std::optional<PropValue> ScrollBar::property(std::string_view p) const {
    if (p == "Value")
        return PropValue(m_value);
    if (p == "Min")
        return PropValue(m_min);
    if (p == "Max")
        return PropValue(m_max);
    if (p == "LargeChange")
        return PropValue(m_large);
    return Control::property(p);
}

SetResult ScrollBar::setProperty(std::string_view p, std::string_view text) {
    if (p == "Value")
        return withInt(p, text, [this](int v) { setValue(v); });
    return Control::setProperty(p, text);
}

SetResult ScrollBar::userSet(std::string_view text) {
    auto n = parseInt(text);
    if (!n || *n < m_min || *n > m_max)
        return SetResult::fail(displayName() + " takes values from " + std::to_string(m_min) +
                               " to " + std::to_string(m_max));
    setValue(int(*n));
    return {};
}

// ---- CheckBox ----

CheckBox::CheckBox(Form* form, std::string name, int index)
    : Control(form, Kind::CheckBox, std::move(name), index) {}

void CheckBox::setCaption(std::string c) {
    assign(m_caption, std::move(c), Prop::Caption);
}

void CheckBox::setValue(int v) {
    if (assign(m_value, v, Prop::Value) && onClick)
        onClick();
}

void CheckBox::click() {
    setValue(m_value == 1 ? 0 : 1);
}

std::optional<PropValue> CheckBox::property(std::string_view p) const {
    if (p == "Value")
        return PropValue(m_value);
    if (p == "Caption")
        return PropValue(m_caption);
    return Control::property(p);
}

SetResult CheckBox::setProperty(std::string_view p, std::string_view text) {
    if (p == "Value")
        return withInt(p, text, [this](int v) { setValue(v); });
    if (p == "Caption") {
        setCaption(std::string(text));
        return {};
    }
    return Control::setProperty(p, text);
}

SetResult CheckBox::userSet(std::string_view text) {
    auto n = parseInt(text);
    if (!n || (*n != 0 && *n != 1))
        return SetResult::fail(displayName() + " takes 0 or 1");
    setValue(int(*n));
    return {};
}

// ---- OptionButton ----

OptionButton::OptionButton(Form* form, std::string name, int index)
    : Control(form, Kind::OptionButton, std::move(name), index) {}

void OptionButton::setCaption(std::string c) {
    assign(m_caption, std::move(c), Prop::Caption);
}

void OptionButton::setValue(bool v) {
    if (!assign(m_value, v, Prop::Value) || !v)
        return;
    for (Control* c : form().controls()) {
        if (c != this && c->kind() == Kind::OptionButton && c->container() == container()) {
            auto* o = static_cast<OptionButton*>(c);
            o->assign(o->m_value, false, Prop::Value);
        }
    }
    if (onClick)
        onClick();
}

void OptionButton::click() {
    if (m_value) {
        if (onClick)
            onClick();
        return;
    }
    setValue(true);
}

std::optional<PropValue> OptionButton::property(std::string_view p) const {
    if (p == "Value")
        return PropValue(m_value);
    if (p == "Caption")
        return PropValue(m_caption);
    return Control::property(p);
}

SetResult OptionButton::setProperty(std::string_view p, std::string_view text) {
    if (p == "Value")
        return withBool(p, text, [this](bool b) { setValue(b); });
    if (p == "Caption") {
        setCaption(std::string(text));
        return {};
    }
    return Control::setProperty(p, text);
}

SetResult OptionButton::userSet(std::string_view text) {
    auto b = parseBool(text);
    if (!b || !*b)
        return SetResult::fail(displayName() + " can only be selected (True)");
    click();
    return {};
}

// ---- CommandButton ----

CommandButton::CommandButton(Form* form, std::string name, int index)
    : Control(form, Kind::CommandButton, std::move(name), index) {}

void CommandButton::setCaption(std::string c) {
    assign(m_caption, std::move(c), Prop::Caption);
}

std::optional<PropValue> CommandButton::property(std::string_view p) const {
    if (p == "Caption")
        return PropValue(m_caption);
    return Control::property(p);
}

SetResult CommandButton::setProperty(std::string_view p, std::string_view text) {
    if (p == "Caption") {
        setCaption(std::string(text));
        return {};
    }
    return Control::setProperty(p, text);
}

// ---- MenuItem ----

MenuItem::MenuItem(Form* form, std::string name, MenuItem* parent, std::string caption,
                   std::string shortcut)
    : Control(form, Kind::MenuItem, std::move(name)), m_parent(parent),
      m_caption(std::move(caption)), m_shortcut(std::move(shortcut)) {
    if (m_parent)
        m_parent->m_items.push_back(this);
}

void MenuItem::setCaption(std::string c) {
    assign(m_caption, std::move(c), Prop::Caption);
}
void MenuItem::setChecked(bool c) {
    assign(m_checked, c, Prop::Checked);
}

bool MenuItem::reachable() const {
    for (const MenuItem* m = this; m; m = m->m_parent)
        if (!m->enabled())
            return false;
    return true;
}

std::optional<PropValue> MenuItem::property(std::string_view p) const {
    if (p == "Caption")
        return PropValue(m_caption);
    if (p == "Checked")
        return PropValue(m_checked);
    return Control::property(p);
}

SetResult MenuItem::setProperty(std::string_view p, std::string_view text) {
    if (p == "Caption") {
        setCaption(std::string(text));
        return {};
    }
    if (p == "Checked")
        return withBool(p, text, [this](bool b) { setChecked(b); });
    return Control::setProperty(p, text);
}

// ---- Timer ----

Timer::Timer(Form* form, std::string name, int intervalMs, bool enabled)
    : Control(form, Kind::Timer, std::move(name)), m_scheduler(form->services().scheduler),
      m_interval(intervalMs) {
    setVisible(false);
    Control::setEnabled(enabled);
    m_scheduler.add(*this);
}

Timer::~Timer() {
    m_scheduler.remove(*this);
}

void Timer::setInterval(int ms) {
    if (assign(m_interval, ms, Prop::Interval))
        m_scheduler.changed(*this);
}

void Timer::setEnabled(bool on) {
    if (on == enabled())
        return;
    Control::setEnabled(on);
    m_scheduler.changed(*this);
}

Timer::TickHandler& Timer::TickHandler::operator=(std::function<void()> f) {
    m_fn = std::move(f);
    m_owner.m_scheduler.changed(m_owner);
    return *this;
}

void Timer::fire() {
    if (m_ticking || !enabled() || !onTimer)
        return;
    m_ticking = true;
    ++m_ticks;
    onTimer();
    m_ticking = false;
}

std::optional<PropValue> Timer::property(std::string_view p) const {
    if (p == "Interval")
        return PropValue(m_interval);
    return Control::property(p);
}

SetResult Timer::setProperty(std::string_view p, std::string_view text) {
    if (p == "Interval")
        return withInt(p, text, [this](int v) { setInterval(v); });
    return Control::setProperty(p, text);
}

// ---- PictureBox, Frame, Shape, Image ----

PictureBox::PictureBox(Form* form, std::string name, int index)
    : Control(form, Kind::PictureBox, std::move(name), index) {}

Frame::Frame(Form* form, std::string name, int index)
    : Control(form, Kind::Frame, std::move(name), index) {}

void Frame::setCaption(std::string c) {
    assign(m_caption, std::move(c), Prop::Caption);
}

std::optional<PropValue> Frame::property(std::string_view p) const {
    if (p == "Caption")
        return PropValue(m_caption);
    return Control::property(p);
}

SetResult Frame::setProperty(std::string_view p, std::string_view text) {
    if (p == "Caption") {
        setCaption(std::string(text));
        return {};
    }
    return Control::setProperty(p, text);
}

Shape::Shape(Form* form, std::string name, int index)
    : Control(form, Kind::Shape, std::move(name), index) {}

Image::Image(Form* form, std::string name, std::string resource)
    : Control(form, Kind::Image, std::move(name)), m_resource(std::move(resource)) {}

// ---- StatusBar ----

StatusPanel::StatusPanel(StatusBar& bar, std::string key, int widthTwips)
    : Control(&bar.form(), Kind::StatusPanel, bar.name()), m_key(std::move(key)) {
    setContainer(&bar);
    setWidth(widthTwips);
}

std::string StatusPanel::displayName() const {
    return name() + "(" + m_key + ")";
}

void StatusPanel::setText(std::string t) {
    assign(m_text, std::move(t), Prop::Text);
}

std::optional<PropValue> StatusPanel::property(std::string_view p) const {
    if (p == "Text")
        return PropValue(m_text);
    if (p == "Key")
        return PropValue(m_key);
    return Control::property(p);
}

SetResult StatusPanel::setProperty(std::string_view p, std::string_view text) {
    if (p == "Text") {
        setText(std::string(text));
        return {};
    }
    return Control::setProperty(p, text);
}

StatusBar::StatusBar(Form* form, std::string name)
    : Control(form, Kind::StatusBar, std::move(name)) {}

StatusBar::~StatusBar() = default;

StatusPanel& StatusBar::addPanel(std::string key, int widthTwips, std::string text) {
    m_panels.push_back(std::make_unique<StatusPanel>(*this, std::move(key), widthTwips));
    m_panels.back()->setText(std::move(text));
    return *m_panels.back();
}

StatusPanel* StatusBar::panel(std::string_view key) const {
    for (auto& p : m_panels)
        if (p->key() == key)
            return p.get();
    return nullptr;
}

// ---- ProgressBar ----

ProgressBar::ProgressBar(Form* form, std::string name)
    : Control(form, Kind::ProgressBar, std::move(name)) {}

void ProgressBar::setValue(int v) {
    assign(m_value, std::clamp(v, m_min, m_max), Prop::Value);
}

void ProgressBar::setRange(int min, int max) {
    m_min = min;
    m_max = max;
    notify(Prop::Range);
    setValue(m_value);
}

std::optional<PropValue> ProgressBar::property(std::string_view p) const {
    if (p == "Value")
        return PropValue(m_value);
    if (p == "Min")
        return PropValue(m_min);
    if (p == "Max")
        return PropValue(m_max);
    return Control::property(p);
}

SetResult ProgressBar::setProperty(std::string_view p, std::string_view text) {
    if (p == "Value")
        return withInt(p, text, [this](int v) { setValue(v); });
    return Control::setProperty(p, text);
}

// ---- Calendar ----

Calendar::Calendar(Form* form, std::string name) : Control(form, Kind::Calendar, std::move(name)) {}

void Calendar::setDate(DateTime d) {
    if (assign(m_date, d.date(), Prop::Value) && onChange)
        onChange();
}

std::optional<PropValue> Calendar::property(std::string_view p) const {
    if (p == "Value")
        return PropValue(formatDate(m_date, "mmm d, yyyy"));
    return Control::property(p);
}

SetResult Calendar::setProperty(std::string_view p, std::string_view text) {
    if (p == "Value")
        return userSet(text);
    return Control::setProperty(p, text);
}

SetResult Calendar::userSet(std::string_view text) {
    auto d = parseDateText(text);
    if (!d || !d->hasDate)
        return SetResult::fail("\"" + std::string(text) + "\" is not a date");
    setDate(d->value);
    return {};
}

} // namespace orvane
