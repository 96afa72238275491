// The commands that name a TARGET: what a user does to a control or a window, the program's
// own assignments, and print and expect.

#include "script_runner.h"

#include "app.h"
#include "toolkit/form.h"
#include "toolkit/mouse_holder.h"
#include "toolkit/quoting.h"

#include <ostream>

namespace orvane::script {

namespace {

ScriptError unknownTarget(const TargetPath& path) {
    return ScriptError("unknown target " + scriptWord(path.text));
}

void check(const SetResult& result) {
    if (!result.ok)
        throw ScriptError(result.error);
}

// Form.Loaded is the one thing a window that is not loaded can tell.
bool asksLoaded(const TargetPath& path) {
    return path.parts.size() == 2 && !path.parts[1].index && path.parts[1].name == "Loaded";
}

} // namespace

bool ScriptRunner::knowsForm(const std::string& name) {
    if (m_app)
        return m_app->knowsForm(name);
    // Before start no window exists yet; an App that is never started only answers names.
    return App(m_world.services).knowsForm(name);
}

ScriptRunner::Resolved ScriptRunner::resolve(const TargetPath& path, bool load) {
    Resolved r;
    const std::string& formName = path.form();
    if (!knowsForm(formName))
        throw unknownTarget(path);
    r.form = m_app ? m_app->loadedForm(formName) : nullptr;
    if (!r.form && load)
        deliver([&] { r.form = m_app->form(formName); });
    if (!r.form)
        return r;

    r.name = formName;
    if (path.parts.size() == 1) {
        r.property = r.form->defaultProperty();
        return r;
    }
    const TargetPart& second = path.parts[1];
    Control* control = second.index ? r.form->findControl(second.name, *second.index)
                                    : r.form->findControl(second.name);
    if (control) {
        r.control = control;
        r.name += "." + control->displayName();
        r.property = path.parts.size() == 3 ? path.parts[2].name : control->defaultProperty();
    } else if (second.index) {
        throw unknownTarget(path);
    } else if (path.parts.size() == 2) {
        r.property = second.name;
    } else {
        r.record = second.name;
        r.name += "." + second.name;
        r.property = path.parts[2].name;
    }
    return r;
}

std::optional<PropValue> ScriptRunner::value(const Resolved& r, const TargetPath& path) {
    if (!r.form) {
        if (asksLoaded(path))
            return PropValue(false);
        return std::nullopt;
    }
    std::optional<PropValue> v;
    if (!r.record.empty())
        v = r.form->recordProperty(r.record, r.property);
    else if (r.control)
        v = r.control->property(r.property);
    else
        v = r.form->property(r.property);
    if (!v)
        throw unknownTarget(path);
    return v;
}

std::string ScriptRunner::printedName(const Resolved& r, const TargetPath& path) {
    if (r.form)
        return r.name + "." + r.property;
    // Without the window its controls' kinds, and so their default properties, are unknown;
    // every window's default is its caption.
    return path.parts.size() == 1 ? path.text + ".Caption" : path.text;
}

Control* ScriptRunner::inputTarget(const TargetPath& path, Input input) {
    if (path.parts.size() == 3)
        throw ScriptError("input goes to a control or a window, not to " + scriptWord(path.text));
    const Resolved r = resolve(path, true);
    Control* target = r.control;
    if (path.parts.size() == 1)
        target = r.form;
    if (!target)
        throw unknownTarget(path);
    // A screen refuses input to a disabled control, to a control of a disabled window and to
    // an item under a disabled menu.
    // Mouse input over a disabled control goes on to what holds it.
    if (!target->acceptsInput()) {
        m_out << "ignored: " << r.name << " is disabled\n";
        return input == Input::Mouse ? mouseHolder(*target) : nullptr;
    }
    return target;
}

void ScriptRunner::cmdClick(LineReader& line) {
    const TargetPath path = parseTarget(line.word("TARGET").text);
    line.end();
    if (Control* c = inputTarget(path, Input::Mouse))
        deliver([c] { c->click(); });
}

void ScriptRunner::cmdDblClick(LineReader& line) {
    const TargetPath path = parseTarget(line.word("TARGET").text);
    line.end();
    if (Control* c = inputTarget(path, Input::Mouse))
        deliver([c] { c->dblClick(); });
}

void ScriptRunner::cmdMouseDown(LineReader& line) {
    mouse(line, true);
}

void ScriptRunner::cmdMouseUp(LineReader& line) {
    mouse(line, false);
}

void ScriptRunner::mouse(LineReader& line, bool down) {
    const TargetPath path = parseTarget(line.word("TARGET").text);
    MouseButton button = MouseButton::Left;
    if (auto word = line.optionalWord()) {
        if (word->text == "right")
            button = MouseButton::Right;
        else if (word->text != "left")
            throw ScriptError("the mouse button is left or right");
    }
    line.end();
    if (Control* c = inputTarget(path, Input::Mouse))
        deliver([c, button, down] { down ? c->mouseDown(button) : c->mouseUp(button); });
}

void ScriptRunner::cmdKey(LineReader& line) {
    const TargetPath path = parseTarget(line.word("FORM").text);
    const Word code = line.word("CODE");
    line.end();
    if (path.parts.size() != 1)
        throw ScriptError("a key goes to a window: key FORM CODE");
    const auto n = parseWholeNumber(code.text);
    if (!n || *n < 0 || *n > 65535)
        throw ScriptError("the key code is a character code from 0 to 65535");
    // Enter and Esc press the window's default and cancel buttons, as on a screen.
    if (Control* c = inputTarget(path))
        deliver([c, key = int(*n)] {
            auto* form = static_cast<Form*>(c);
            if (CommandButton* b = form->keyButton(key))
                b->click();
            else
                form->keyPress(key);
        });
}

void ScriptRunner::cmdSet(LineReader& line) {
    const TargetPath path = parseTarget(line.word("TARGET").text);
    const Word text = line.value("VALUE");
    const Resolved r = resolve(path, true);
    SetResult result;
    const bool userEdit = path.parts.size() == 1 || (r.control && path.parts.size() == 2);
    if (userEdit) {
        if (Control* c = inputTarget(path))
            deliver([&] { result = c->userSet(text.text); });
    } else if (value(r, path); !r.record.empty()) {
        deliver([&] { result = r.form->setRecordProperty(r.record, r.property, text.text); });
    } else {
        Control* c = r.control ? r.control : r.form;
        deliver([&] { result = c->setProperty(r.property, text.text); });
    }
    check(result);
}

void ScriptRunner::cmdClose(LineReader& line) {
    const TargetPath path = parseTarget(line.word("FORM").text);
    line.end();
    if (path.parts.size() != 1)
        throw ScriptError("close takes a window: close FORM");
    const Resolved r = resolve(path, false);
    if (!r.form)
        throw ScriptError(path.text + " is not loaded: it has no close button");
    deliver([&] { m_app->closeRequested(*r.form); });
}

void ScriptRunner::cmdPrint(LineReader& line) {
    const TargetPath path = parseTarget(line.word("TARGET").text);
    line.end();
    const Resolved r = resolve(path, false);
    const auto v = value(r, path);
    m_out << printedName(r, path) << " = " << (v ? v->print() : "<not loaded>") << '\n';
}

void ScriptRunner::cmdExpect(LineReader& line) {
    const TargetPath path = parseTarget(line.word("TARGET").text);
    const Word expected = line.value("VALUE");
    const Resolved r = resolve(path, false);
    const auto v = value(r, path);
    const std::string got = v ? v->print() : "<not loaded>";
    // A text compared with a plain VALUE is compared as plain text; a quoted VALUE, and any
    // other kind of value, is compared in its printed form.
    const bool plainText = v && v->isText() && !expected.quoted;
    const bool held = plainText
                          ? v->text() == expected.text
                          : got == (expected.quoted ? quoteText(expected.text) : expected.text);
    if (!held) {
        const std::string want =
            plainText || expected.quoted ? quoteText(expected.text) : expected.text;
        throw ScriptError("expected " + want + ", got " + got);
    }
}

} // namespace orvane::script
