// The countdown plan's file commands: a plan is opened from and saved to a plan file of its
// own, and the one opened last is opened again at start-up.

#include "app.h"
#include "clock/frmOrvane.h"
#include "clock/plan_run.h"
#include "model/plan_format.h"

namespace orvane {

namespace {

constexpr const char* PlanSection = "Plan";
constexpr const char* LastPlanKey = "LastFile";
const FileDialogRequest PlanDialog{"", "Countdown Plans (*.plan)|*.plan", "plan", "", ""};

void remember(frmOrvane& f, App& app, const std::string& path) {
    f.services().settings.save(app.info().exeName, PlanSection, LastPlanKey, path);
}

} // namespace

void PlanRun::wire(frmOrvane& f) {
    f.mnuExtendHold.setEnabled(false);
    for (auto [menu, which] : {std::pair{&f.planMenus.mnuEditPlan, App::Dialog::Plan},
                               {&f.mnuExtendHold, App::Dialog::ExtendHold}})
        menu->onClick = [&f, which] {
            if (Form* dialog = f.m_app.dialog(which))
                dialog->show();
        };
    f.planMenus.mnuOpenPlan.onClick = [&f] {
        FileDialogRequest request = PlanDialog;
        request.title = "Open Plan . . .";
        if (const auto path = f.services().dialogs.openFile(request))
            open(f, *path);
    };
    f.planMenus.mnuSavePlan.onClick = [&f] {
        FileDialogRequest request = PlanDialog;
        request.title = "Save Plan As . . .";
        const auto path = f.services().dialogs.saveFile(request);
        if (!path)
            return;
        std::string why = f.services().files.writeWhole(*path, formatPlanFile(f.m_state.plan()));
        const std::string& title = f.m_app.info().title;
        if (!why.empty()) {
            if (why.ends_with('.'))
                why.pop_back();
            f.services().dialogs.messageBox(title + " could not save " + *path + ": " + why + ".",
                                            Buttons::OK, Icon::Exclamation, title);
            return;
        }
        remember(f, f.m_app, *path);
    };
    // Closing the plan keeps the launch time: liftoff is then the launch time itself.
    f.planMenus.mnuClosePlan.onClick = [&f] {
        f.m_state.plan().setHolds(CountdownPlan{});
        remember(f, f.m_app, "");
        planChanged(f);
    };
}

bool PlanRun::open(frmOrvane& f, const std::string& path) {
    const FileContent file = f.services().files.read(path, PlanFileLimit);
    std::string problem;
    std::optional<CountdownPlan> plan;
    if (file.tooLarge)
        problem = "it is larger than 16 KiB, too large for a countdown plan";
    else if (!file.content)
        problem = file.missing ? "the file does not exist" : file.error;
    else {
        PlanFileRead read = parsePlanFile(*file.content);
        problem = read.problem;
        plan = std::move(read.plan);
    }
    if (!plan) {
        if (problem.ends_with('.'))
            problem.pop_back();
        const std::string& title = f.m_app.info().title;
        f.services().dialogs.messageBox(title + " could not read " + path + ": " + problem + ".",
                                        Buttons::OK, Icon::Exclamation, title);
        return false;
    }
    // The launch time stays; the holds not yet reached are ahead of it.
    f.m_state.plan().setHolds(*plan);
    remember(f, f.m_app, path);
    planChanged(f);
    return true;
}

void PlanRun::reopenLast(frmOrvane& f) {
    const std::string path =
        f.services().settings.get(f.m_app.info().exeName, PlanSection, LastPlanKey, "");
    if (!path.empty())
        open(f, path);
}

} // namespace orvane
