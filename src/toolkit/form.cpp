#include "toolkit/form.h"

#include "toolkit/controls_detail.h"
#include "services/services.h"

#include <algorithm>
#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#endif
#include <cstdio>
#include <cstdlib>

namespace orvane {

Form::Form(Services& services, std::string name)
    : Control(this, Kind::Form, std::move(name)), m_services(services) {
    Control::setVisible(false);
    setBorderStyle(1);
}

Form::~Form() = default;

void Form::setCaption(std::string c) {
    assign(m_caption, std::move(c), Prop::Caption);
}

void Form::keyPress(int keyAscii) {
    if (onKeyPress)
        onKeyPress(keyAscii);
}

CommandButton* Form::keyButton(int keyAscii) const {
    if (keyAscii != 13 && keyAscii != 27)
        return nullptr;
    for (Control* c : m_controls) {
        if (c->kind() != Kind::CommandButton)
            continue;
        auto* b = static_cast<CommandButton*>(c);
        if (!(keyAscii == 13 ? b->isDefault() : b->isCancel()) || !b->acceptsInput())
            continue;
        bool shown = true;
        for (const Control* at = b; at && shown; at = at->container())
            shown = at->visible();
        if (shown)
            return b;
    }
    return nullptr;
}

void Form::movedByUser(int left, int top) {
    move(left, top);
    if (onMovedByUser)
        onMovedByUser();
}

void Form::unregisterControl(Control* c) {
    auto it = std::find(m_controls.begin(), m_controls.end(), c);
    if (it != m_controls.end())
        m_controls.erase(it);
}

Control* Form::findControl(std::string_view name, std::string_view index) const {
    for (Control* c : m_controls) {
        if (c->name() != name)
            continue;
        if (index.empty()) {
            if (c->index() < 0 && c->kind() != Kind::StatusPanel)
                return c;
        } else if (c->kind() == Kind::StatusPanel) {
            if (static_cast<StatusPanel*>(c)->key() == index)
                return c;
        } else if (c->index() >= 0 && std::to_string(c->index()) == index) {
            return c;
        }
    }
    return nullptr;
}

const Control& Form::requireControl(std::string_view name, int index) const {
    const std::string indexText = index < 0 ? std::string() : std::to_string(index);
    if (const Control* c = findControl(name, indexText))
        return *c;
    std::fprintf(stderr, "%s has no control %.*s%s\n", this->name().c_str(), int(name.size()),
                 name.data(), index < 0 ? "" : ("(" + indexText + ")").c_str());
    std::abort();
}

void Form::wrongKindOfControl(const Control& c, const char* wanted) const {
    std::string kind = wanted;
#if __has_include(<cxxabi.h>)
    int status = 0;
    if (char* readable = abi::__cxa_demangle(wanted, nullptr, nullptr, &status)) {
        kind = readable;
        std::free(readable);
    }
#endif
    std::fprintf(stderr, "%s: control %s is not of the kind %s\n", name().c_str(),
                 c.displayName().c_str(), kind.c_str());
    std::abort();
}

std::vector<MenuItem*> Form::topMenus() const {
    std::vector<MenuItem*> menus;
    for (Control* c : m_controls)
        if (c->kind() == Kind::MenuItem && !static_cast<MenuItem*>(c)->parentMenu())
            menus.push_back(static_cast<MenuItem*>(c));
    return menus;
}

void Form::popupMenu(MenuItem& menu) {
    services().dialogs.popupMenu(menu);
}

std::optional<PropValue> Form::recordProperty(std::string_view, std::string_view) const {
    return std::nullopt;
}

SetResult Form::setRecordProperty(std::string_view record, std::string_view, std::string_view) {
    return SetResult::fail(name() + " has no record " + std::string(record));
}

const PropertyTable& Form::properties() const {
    static constexpr Property rows[] = {
        detail::row<&Form::caption, &Form::setCaption>("Caption"),
        detail::readOnly<&Form::loaded>("Loaded"),
    };
    static constexpr PropertyTable table{rows, &detail::controlProperties};
    return table;
}

} // namespace orvane
