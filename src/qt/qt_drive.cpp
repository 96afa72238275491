#include "qt/qt_drive.h"

#include "app.h"

#include <QSocketNotifier>

#include <optional>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace orvane {

namespace {

struct Target {
    Form* form = nullptr;
    Control* control = nullptr;
    std::string record;   // set for FORM.RECORD.PROPERTY
    std::string property; // may be empty for click
};

// "frmEventTimers.pctEvent(2).Tag" into its window, control and property.
std::optional<Target> findTarget(App& app, std::string_view text, std::string& error) {
    const auto dot = text.find('.');
    if (dot == std::string_view::npos) {
        error = "no control named";
        return std::nullopt;
    }
    Target t;
    t.form = app.loadedForm(text.substr(0, dot));
    if (!t.form) {
        error = "no such window loaded";
        return std::nullopt;
    }
    std::string_view rest = text.substr(dot + 1);
    std::string_view name = rest.substr(0, rest.find_first_of(".("));
    std::string_view index;
    rest.remove_prefix(name.size());
    if (rest.starts_with('(')) {
        const auto close = rest.find(')');
        if (close == std::string_view::npos) {
            error = "unclosed index";
            return std::nullopt;
        }
        index = rest.substr(1, close - 1);
        rest.remove_prefix(close + 1);
    }
    if (rest.starts_with('.'))
        t.property = std::string(rest.substr(1));
    t.control = t.form->findControl(name, index);
    if (!t.control) {
        if (index.empty() && !t.property.empty()) {
            t.record = std::string(name);
            return t;
        }
        error = "no such control";
        return std::nullopt;
    }
    return t;
}

} // namespace

bool StdinDriver::wanted() {
    const char* v = std::getenv("ORVANE_DRIVE_STDIN");
    return v && std::string_view(v) == "1";
}

StdinDriver::StdinDriver(App& app)
    : m_app(app), m_notifier(new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this)) {
    connect(m_notifier, &QSocketNotifier::activated, this, &StdinDriver::readInput);
}

void StdinDriver::readInput() {
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        m_app.services().scheduler.deliver([this] { m_app.endProgram(); });
        return;
    }
    m_buffer.append(chunk, std::size_t(n));
    for (auto eol = m_buffer.find('\n'); eol != std::string::npos; eol = m_buffer.find('\n')) {
        const std::string line = m_buffer.substr(0, eol);
        m_buffer.erase(0, eol + 1);
        if (line.empty())
            continue;
        std::string answer;
        const std::string error = run(line, answer);
        std::printf("%s %s%s\n", error.empty() ? "done" : "error", line.c_str(),
                    error.empty() ? answer.c_str() : (": " + error).c_str());
        std::fflush(stdout);
    }
}

std::string StdinDriver::run(const std::string& line, std::string& answer) {
    if (line == "end") {
        m_app.services().scheduler.deliver([this] { m_app.endProgram(); });
        return {};
    }
    const auto space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    const std::string targetText = rest.substr(0, rest.find(' '));
    const std::string value =
        rest.find(' ') == std::string::npos ? "" : rest.substr(rest.find(' ') + 1);
    std::string error;
    const std::optional<Target> t = findTarget(m_app, targetText, error);
    if (!t)
        return error;
    if (verb == "click" && t->control) {
        if (!t->control->acceptsInput())
            return "disabled";
        m_app.services().scheduler.deliver([&] { t->control->click(); });
        return {};
    }
    if (verb == "get" && t->control && !t->property.empty()) {
        const std::optional<PropValue> v = t->control->property(t->property);
        if (!v)
            return "no such property";
        answer = " = " + v->print();
        return {};
    }
    if (verb != "set" || t->property.empty())
        return "unknown input";
    SetResult result;
    m_app.services().scheduler.deliver([&] {
        result = t->control ? t->control->setProperty(t->property, value)
                            : t->form->setRecordProperty(t->record, t->property, value);
    });
    return result.ok ? std::string() : result.error;
}

} // namespace orvane
