#include "app.h"

#include "callouts/callouts.h"
#include "callouts/frmCallouts.h"
#include "clock/frmOrvane.h"
#include "clock/frmPlan.h"
#include "clock/frmPresent.h"
#include "events/frmEventTimers.h"
#include "shell/frmSplash.h"
#include "shell/register.h"
#include "simtime/register.h"
#include "simtime/sim_clock.h"
#include "wizard/register.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orvane {

App::App(Services& services)
    : m_ownClock(services.clock), m_services{m_ownClock,       services.scheduler,
                                             services.dialogs, services.settings,
                                             services.help,    services.process,
                                             services.files,   services.info,
                                             services.sound,   services.clockHealth},
      m_board(std::make_unique<Board>()) {
    registerForm<orvane::frmOrvane>("frmOrvane");
    registerForm<orvane::frmEventTimers>("frmEventTimers");
    registerForm<orvane::frmSplash>("frmSplash");
    registerPresentWindows(*this);
    registerPlanWindows(*this);
    registerEventWizard(*this);
    registerShellWindows(*this);
    registerSimTimeWizard(*this);
    m_services.scheduler.onRoundDone = [this] { m_happenings.roundDone(); };
    m_callouts = std::make_unique<orvane::Callouts>(*this, m_services.sound);
    registerForm<orvane::frmCallouts>("frmCallouts", [](App& app) {
        return std::make_unique<orvane::frmCallouts>(app, app.callouts());
    });
    provide<orvane::frmCallouts>(Dialog::Callouts);
    if (m_services.clockHealth)
        m_services.clockHealth->onChange([this](const ClockHealth& health) {
            if (auto* main = loaded<orvane::frmOrvane>())
                main->showClockHealth(health);
        });
}

App::~App() {
    m_services.scheduler.onRoundDone = nullptr;
    if (m_services.clockHealth)
        m_services.clockHealth->onChange(nullptr);
    m_callouts.reset();
    // Windows go in the reverse order of their loading, so none outlives one it points into.
    for (auto it = m_order.rbegin(); it != m_order.rend(); ++it)
        m_forms.erase(*it);
    m_unloaded.clear();
}

orvane::frmOrvane& App::frmOrvane() {
    return form<orvane::frmOrvane>();
}
orvane::frmEventTimers& App::frmEventTimers() {
    return form<orvane::frmEventTimers>();
}
orvane::frmSplash& App::frmSplash() {
    return form<orvane::frmSplash>();
}

const std::string& App::nameOf(const std::type_info& type) const {
    for (const auto& t : m_typeNames)
        if (t.type == &type)
            return t.name;
    for (const auto& t : m_typeNames)
        if (*t.type == type)
            return t.name;
    std::fprintf(stderr, "No window is registered for the type %s.\n", type.name());
    std::abort();
}

void App::setTypeName(const std::type_info& type, const std::string& name) {
    for (auto& t : m_typeNames)
        if (*t.type == type) {
            t.name = name;
            return;
        }
    m_typeNames.push_back({&type, name});
}

Happening App::happening(Happening::Kind kind) const {
    Happening h;
    h.kind = kind;
    // One reading of the computer's clock gives both: the true time (remembered while a
    // simulated time has moved the computer's clock) and the program's clock beside it.
    const std::int64_t computerMs = m_ownClock.computer().unixMs();
    const std::int64_t programMs = computerMs + m_ownClock.offset().value_or(0);
    const auto moved = m_simClock ? m_simClock->trueTimeMsWhileComputerMoved() : std::nullopt;
    h.at.trueMs = moved.value_or(computerMs);
    if (programMs != h.at.trueMs)
        h.at.programMs = programMs;
    if (const auto* main = loaded<orvane::frmOrvane>())
        h.shown = main->countAt(m_ownClock.instant());
    const LaunchState::Window& window = m_launchState.window();
    h.windowActive = window.active;
    h.windowLeftSeconds = window.left;
    h.windowBudgetSeconds = window.budget;
    h.by = m_commandBy;
    return h;
}

void App::raise(const Happening& h) {
    if (std::string note = orvane::commandNote(h); !note.empty()) {
        m_commandNote = std::move(note);
        m_commandNoteUntilMs = m_services.clock.monotonicMs() + CommandNoteMs;
    }
    m_happenings.raise(h);
}

std::string App::commandNote() const {
    if (m_commandNote.empty() || m_services.clock.monotonicMs() >= m_commandNoteUntilMs)
        return {};
    return m_commandNote;
}

Form* App::dialog(Dialog which) {
    const auto it = m_dialogs.find(which);
    return it == m_dialogs.end() ? nullptr : it->second(true);
}

Form* App::loadedDialog(Dialog which) const {
    const auto it = m_dialogs.find(which);
    return it == m_dialogs.end() ? nullptr : it->second(false);
}

ClockHealth App::clockHealth() const {
    return m_services.clockHealth ? m_services.clockHealth->current() : ClockHealth{};
}

Instant App::launchMoment() const {
    return m_launchState.launchMoment(m_services.clock.zone());
}

void App::ToggleEventTimers() {
    orvane::frmOrvane& main = frmOrvane();
    orvane::frmEventTimers& board = frmEventTimers();
    const bool show = !board.shown();
    board.setShown(show);
    main.showEventTimersCaptions(show);
}

void App::setEventCountDownHeld(bool held) {
    frmEventTimers().setCountDownHeld(held);
}

void App::registerForm(std::string name, FormFactory factory) {
    m_factories.insert_or_assign(std::move(name), std::move(factory));
}

bool App::knowsForm(std::string_view name) const {
    return m_factories.contains(name);
}

bool App::isLoaded(std::string_view name) const {
    return loadedForm(name) != nullptr;
}

Form* App::loadedForm(std::string_view name) const {
    auto it = m_forms.find(name);
    return it == m_forms.end() ? nullptr : it->second.get();
}

Form* App::form(std::string_view name) {
    if (Form* f = loadedForm(name))
        return f;
    auto factory = m_factories.find(name);
    if (factory == m_factories.end())
        return nullptr;
    auto owned = factory->second(*this);
    Form* f = owned.get();
    m_forms.emplace(std::string(name), std::move(owned));
    m_order.emplace_back(name);
    f->markLoaded(true);
    if (m_observer)
        m_observer->formLoaded(*f);
    if (f->onLoad)
        f->onLoad();
    return f;
}

std::vector<Form*> App::loadedForms() const {
    std::vector<Form*> forms;
    for (const auto& name : m_order)
        if (Form* f = loadedForm(name))
            forms.push_back(f);
    return forms;
}

void App::unload(Form& form) {
    unloadWith(form, UnloadMode::Code);
}

void App::closeRequested(Form& form) {
    unloadWith(form, UnloadMode::CloseButton);
}

bool App::unloadWith(Form& form, UnloadMode mode) {
    if (!form.loaded())
        return true;
    bool cancel = false;
    if (form.onQueryUnload)
        form.onQueryUnload(cancel, mode);
    if (cancel || !form.loaded())
        return false;
    if (form.onUnload)
        form.onUnload();
    form.hide();
    for (Control* c : form.controls())
        if (c->kind() == Kind::Timer)
            c->setEnabled(false);
    form.markLoaded(false);
    if (m_observer)
        m_observer->formUnloaded(form);

    auto it = m_forms.find(form.name());
    m_unloaded.push_back(std::move(it->second));
    m_forms.erase(it);
    std::erase(m_order, form.name());
    // The window may be unloading itself from inside one of its own handlers: destroy it
    // only once that handler has returned.
    m_services.scheduler.post([this] { m_unloaded.clear(); });
    return true;
}

void App::endProgram() {
    if (m_ended)
        return;
    raise(happening(Happening::Kind::ProgramExit));
    m_ended = true;
    m_services.process.endProgram();
}

} // namespace orvane
