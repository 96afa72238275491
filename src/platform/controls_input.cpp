#include "platform/controls.h"

#include "platform/controls_detail.h"
#include "platform/form.h"

#include <algorithm>

namespace orvane {

using detail::parseBool;
using detail::parseInt;
using detail::withBool;
using detail::withInt;

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

// ---- RangedControl, ScrollBar ----

void RangedControl::setValue(int v) {
    v = std::clamp(v, m_min, m_max);
    if (assign(m_value, v, Prop::Value) && onChange)
        onChange();
}

void RangedControl::setRange(int min, int max) {
    m_min = min;
    m_max = max;
    notify(Prop::Range);
    setValue(m_value);
}

std::optional<PropValue> RangedControl::property(std::string_view p) const {
    if (p == "Value")
        return PropValue(m_value);
    if (p == "Min")
        return PropValue(m_min);
    if (p == "Max")
        return PropValue(m_max);
    return Control::property(p);
}

SetResult RangedControl::setProperty(std::string_view p, std::string_view text) {
    if (p == "Value")
        return withInt(p, text, [this](int v) { setValue(v); });
    return Control::setProperty(p, text);
}

ScrollBar::ScrollBar(Form* form, std::string name, int index)
    : RangedControl(form, Kind::ScrollBar, std::move(name), index, 32767) {}

std::optional<PropValue> ScrollBar::property(std::string_view p) const {
    if (p == "LargeChange")
        return PropValue(m_large);
    return RangedControl::property(p);
}

SetResult ScrollBar::userSet(std::string_view text) {
    auto n = parseInt(text);
    if (!n || *n < min() || *n > max())
        return SetResult::fail(displayName() + " takes values from " + std::to_string(min()) +
                               " to " + std::to_string(max()));
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
