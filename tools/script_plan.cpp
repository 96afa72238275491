// The scenario runner's countdown plan: plan-hold adds a built-in hold as the plan editor
// would, refused with the editor's own message when the plan would not take it.

#include "script_runner.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "clock/plan_run.h"

namespace orvane::script {

void ScriptRunner::cmdPlanHold(LineReader& line) {
    const Word at = line.word("T-HH:MM:SS");
    const Word length = line.word("HH:MM:SS");
    const Word ends = line.word("ends|waits");
    const Word label = line.value("LABEL");
    const std::optional<std::int64_t> t =
        at.text.starts_with("T-") ? readHms(at.text.substr(2)) : std::nullopt;
    if (!t)
        throw ScriptError(scriptWord(at.text) + " is not a T-time such as T-00:20:00");
    const std::optional<std::int64_t> seconds = readHms(length.text);
    if (!seconds)
        throw ScriptError(scriptWord(length.text) + " is not a length such as 00:10:00");
    if (ends.text != "ends" && ends.text != "waits")
        throw ScriptError("a built-in hold ends or waits, not " + scriptWord(ends.text));
    const BuiltInHold hold{*t, *seconds, label.text, ends.text == "waits"};
    if (!m_app) {
        if (const auto wrong = m_plannedHolds.add(hold))
            throw ScriptError(*wrong);
        return;
    }
    deliver([&] {
        if (const auto wrong = m_app->launchState().plan().add(hold))
            throw ScriptError(*wrong);
        PlanRun::planChanged(m_app->frmOrvane());
    });
}

} // namespace orvane::script
