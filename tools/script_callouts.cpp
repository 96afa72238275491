// The scenario runner's callouts: callout-entry adds one of the team's own callouts and
// callout-family switches a family, each as the Callouts dialog would, refused with the
// dialog's own message when the program would not take it.

#include "script_runner.h"

#include "app.h"
#include "callouts/callouts.h"

namespace orvane::script {

void ScriptRunner::cmdCalloutEntry(LineReader& line) {
    const Word at = line.word("T-HH:MM:SS or T+HH:MM:SS");
    const Word words = line.value("TEXT");
    const std::optional<std::int64_t> t = readCalloutTime(at.text);
    if (!t)
        throw ScriptError(scriptWord(at.text) + " is not a T-time such as T-00:09:00 or "
                                                "T+00:00:10");
    deliver([&] {
        Callouts& callouts = m_app->callouts();
        if (const auto wrong = callouts.setEntry(callouts.entries().size(), {*t, words.text}))
            throw ScriptError(*wrong);
    });
}

void ScriptRunner::cmdCalloutFamily(LineReader& line) {
    const Word name = line.word("NAME");
    const Word state = line.word("on|off");
    line.end();
    CalloutChoices choices = m_app->callouts().choices();
    bool* family = calloutFamily(choices, name.text);
    if (!family) {
        std::string names;
        for (const char* n : CalloutFamilies)
            names += std::string(names.empty() ? "" : ", ") + n;
        throw ScriptError(scriptWord(name.text) + " is not a family of callouts (" + names +
                          ")");
    }
    if (state.text != "on" && state.text != "off")
        throw ScriptError("a family is on or off, not " + scriptWord(state.text));
    *family = state.text == "on";
    deliver([&] { m_app->callouts().setChoices(choices); });
}

} // namespace orvane::script
