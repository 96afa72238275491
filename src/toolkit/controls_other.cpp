#include "toolkit/controls.h"

#include "toolkit/controls_detail.h"
#include "toolkit/form.h"
#include "services/services.h"

#include <algorithm>

namespace orvane {

using detail::readOnly;
using detail::row;

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

const PropertyTable& MenuItem::properties() const {
    static constexpr Property rows[] = {
        row<&MenuItem::caption, &MenuItem::setCaption>("Caption"),
        row<&MenuItem::checked, &MenuItem::setChecked>("Checked"),
    };
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
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

void Timer::setPace(Pace p) {
    if (p == m_pace)
        return;
    m_pace = p;
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

const PropertyTable& Timer::properties() const {
    static constexpr Property rows[] = {row<&Timer::interval, &Timer::setInterval>("Interval")};
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
}

// ---- PictureBox, Frame, Shape, Image ----

PictureBox::PictureBox(Form* form, std::string name, int index)
    : Control(form, Kind::PictureBox, std::move(name), index) {}

Frame::Frame(Form* form, std::string name, int index)
    : Control(form, Kind::Frame, std::move(name), index) {}

void Frame::setCaption(std::string c) {
    assign(m_caption, std::move(c), Prop::Caption);
}

const PropertyTable& Frame::properties() const {
    static constexpr Property rows[] = {row<&Frame::caption, &Frame::setCaption>("Caption")};
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
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

const PropertyTable& StatusPanel::properties() const {
    static constexpr Property rows[] = {
        row<&StatusPanel::text, &StatusPanel::setText>("Text"),
        readOnly<&StatusPanel::key>("Key"),
    };
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
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
    : RangedControl(form, Kind::ProgressBar, std::move(name), -1, 100) {}

} // namespace orvane
