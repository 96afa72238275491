#include "toolkit/controls.h"

#include "toolkit/controls_detail.h"
#include "toolkit/form.h"

#include <algorithm>

namespace orvane {

using detail::parseBool;
using detail::readOnly;
using detail::row;

// ---- TextBox ----

TextBox::TextBox(Form* form, std::string name, int index)
    : Control(form, Kind::TextBox, std::move(name), index) {
    setBackColor(0xFFFFFF);
}

void TextBox::setText(std::string t) {
    assign(m_text, std::move(t), Prop::Text, onChange);
}

const PropertyTable& TextBox::properties() const {
    static constexpr Property rows[] = {row<&TextBox::text, &TextBox::setText>("Text")};
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
}

SetResult TextBox::userSet(std::string_view text) {
    if (m_locked)
        return SetResult::fail(displayName() + " is read-only");
    setText(std::string(text));
    return {};
}

// ---- RangedControl, ScrollBar ----

void RangedControl::setValue(int v) {
    assign(m_value, std::clamp(v, m_range.min, m_range.max), Prop::Value, onChange);
}

void RangedControl::setRange(int min, int max) {
    assign(m_range, Range{min, max}, Prop::Range);
    setValue(m_value);
}

namespace {
constexpr Property rangedRows[] = {
    row<&RangedControl::value, &RangedControl::setValue>("Value"),
    readOnly<&RangedControl::min>("Min"),
    readOnly<&RangedControl::max>("Max"),
};
constexpr PropertyTable rangedProperties{rangedRows, &detail::controlProperties};
} // namespace

const PropertyTable& RangedControl::properties() const {
    return rangedProperties;
}

ScrollBar::ScrollBar(Form* form, std::string name, int index)
    : RangedControl(form, Kind::ScrollBar, std::move(name), index, 32767) {}

const PropertyTable& ScrollBar::properties() const {
    static constexpr Property rows[] = {readOnly<&ScrollBar::largeChange>("LargeChange")};
    static constexpr PropertyTable table{rows, &rangedProperties};
    return table;
}

SetResult ScrollBar::userSet(std::string_view text) {
    auto n = parseWholeNumber(text);
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
    assign(m_value, v, Prop::Value, onClick);
}

void CheckBox::click() {
    setValue(m_value == 1 ? 0 : 1);
}

const PropertyTable& CheckBox::properties() const {
    static constexpr Property rows[] = {
        row<&CheckBox::value, &CheckBox::setValue>("Value"),
        row<&CheckBox::caption, &CheckBox::setCaption>("Caption"),
    };
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
}

SetResult CheckBox::userSet(std::string_view text) {
    auto n = parseWholeNumber(text);
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

const PropertyTable& OptionButton::properties() const {
    static constexpr Property rows[] = {
        row<&OptionButton::value, &OptionButton::setValue>("Value"),
        row<&OptionButton::caption, &OptionButton::setCaption>("Caption"),
    };
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
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

const PropertyTable& CommandButton::properties() const {
    static constexpr Property rows[] = {
        row<&CommandButton::caption, &CommandButton::setCaption>("Caption"),
    };
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
}

// ---- Calendar ----

Calendar::Calendar(Form* form, std::string name) : Control(form, Kind::Calendar, std::move(name)) {}

void Calendar::setDate(DateTime d) {
    assign(m_date, d.date(), Prop::Value, onChange);
}

const PropertyTable& Calendar::properties() const {
    // The date reads and is assigned as text, as a user would type it.
    static constexpr Property rows[] = {{
        "Value",
        [](const Control& c) {
            return PropValue(formatDate(static_cast<const Calendar&>(c).date(), "mmm d, yyyy"));
        },
        [](Control& c, std::string_view, std::string_view text) { return c.userSet(text); },
    }};
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
}

SetResult Calendar::userSet(std::string_view text) {
    auto d = parseDateText(text);
    if (!d || !d->hasDate)
        return SetResult::fail(std::string("\"").append(text).append("\" is not a date"));
    setDate(d->value);
    return {};
}

} // namespace orvane
