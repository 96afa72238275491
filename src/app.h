#pragma once

#include "data/LaunchFileNames.h"
#include "data/SimWizardEntries.h"
#include "data/launch_format.h"
#include "dates/datetime.h"
#include "happenings.h"
#include "model/board.h"
#include "model/launch_state.h"
#include "services/clock_health.h"
#include "services/own_clock.h"
#include "services/services.h"
#include "toolkit/displays.h"
#include "toolkit/form.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

namespace orvane {

class Callouts;
class CTimeData;
class frmOrvane;
class frmEventTimers;
class frmSplash;
class SimClock;

// The view side learns here which windows exist.
class AppObserver {
  public:
    virtual ~AppObserver() = default;
    virtual void formLoaded(Form& form) = 0;
    virtual void formUnloaded(Form& form) = 0;
};

// Owns the services and the windows. A window is loaded on first touch (its constructor is
// its initialisation, then its load handler runs) and destroyed after the event that
// unloaded it; the next touch brings it back with its design values.
class App {
  public:
    explicit App(Services& services);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // The services the windows use. Their clock is the program's own clock, which is the
    // computer's clock unless a simulated mission time is kept by the program itself.
    Services& services() { return m_services; }
    OwnClock& ownClock() { return m_ownClock; }
    // The Manual Sim Time Wizard's last entries, kept while its pages are closed.
    SimWizardEntries& simWizardEntries() { return m_simWizardEntries; }
    const AppInfo& info() const { return m_services.info; }
    // The launch data file's open and save paths, and the file in use.
    LaunchFileNames& launchFileNames() { return m_launchFileNames; }
    // The launch: its time, the hold and the launch window. The main window renders it.
    LaunchState& launchState() { return m_launchState; }
    const LaunchState& launchState() const { return m_launchState; }

    // The event timer board, which the event timers window shows.
    Board& board() { return *m_board; }

    // What the launch data file asks of the windows (app_file.cpp).
    void writeLaunchData(LaunchData& data);
    void readLaunchData(const LaunchData& data);
    void showLaunchFile(const std::string& path);
    CTimeData& EventData();
    // Sets row n as a file records it (a mark, or none) and makes it count afresh.
    void RestoreEventRow(int n, std::string_view name, std::optional<Direction> mark, bool visible);
    // After a file was read: a hold goes on from the file's launch time and launch window,
    // and the board shows its tooltips again.
    void launchDataRead();

    orvane::frmOrvane& frmOrvane();
    orvane::frmEventTimers& frmEventTimers();
    orvane::frmSplash& frmSplash();

    // Simulated mission time (app_simtime.cpp), for the main window's Sim Time menu.
    // Makes the clock show OFFSET from the launch time, after the user's confirmation.
    void ApplySimOffset(std::chrono::seconds offset);
    // Puts the true time back, when a simulated time is shown.
    void RestoreSystemTime();
    // Opens the Manual Sim Time Wizard.
    void ShowManualSimTimeWizard();
    // The true time while the program's own clock runs off it; empty otherwise.
    std::optional<DateTime> trueTimeWhileSimulated() const;
    // The true time now in Unix milliseconds: the computer's clock, unless a simulated time
    // moved it, when it is the true time the program remembered.
    std::int64_t trueTimeMs() const;
    // Ends the program, after offering to restore the computer's clock when it still shows a
    // simulated time.
    void leaveProgram();
    SimClock& simClock();

    // What one window asks of another, so that neither needs the other's controls.
    // The moment the counts compare the present against: the launch time, as a real instant.
    Instant launchMoment() const;
    // Shows or hides the event timers window and sets the main window's commands to match.
    void ToggleEventTimers();
    // A hold on the main window stops the board's count down; resuming starts it again.
    void setEventCountDownHeld(bool held);

    // The Help menu's commands, which the main window offers and the shell's windows carry
    // out (app_shell.cpp).
    void StartCalculator();
    void ShowHelpContents();
    // Closes every open help window (on the way out of the program).
    void CloseHelpWindows();
    void ToggleTipOfTheDay();
    void ShowTechSupport();
    void ShowAbout();

    // The program's happenings (happenings.h): subscribe there to hear what just happened.
    Happenings& happenings() { return m_happenings; }
    // A happening of KIND read at the program's clock now, with the count the main window
    // shows (when it is loaded); the caller adds the details and raises it.
    Happening happening(Happening::Kind kind) const;
    void raise(const Happening& h);
    // The paired device whose command the current event carries out, by its name: the
    // happenings raised meanwhile carry it. Empty for the program's own controls.
    void setCommandBy(std::string name) { m_commandBy = std::move(name); }
    // What the main screen and the present window show of a device's last command ("Hold
    // from Flight director's tablet"), for CommandNoteMs after it; empty otherwise.
    static constexpr std::int64_t CommandNoteMs = 5000;
    std::string commandNote() const;
    // The spoken callouts, and their choices.
    orvane::Callouts& callouts() { return *m_callouts; }
    // How far the computer's clock can be trusted, as last read; unknown where nothing reads
    // it. A new reading arrives as an event of its own: the main window's status bar shows it
    // at once, and the round that follows the event tells happenings().subscribeRounds().
    ClockHealth clockHealth() const;

    // The window of type T, loading it if needed; the loaded one or null, never loading it.
    // T is a window class registered with registerForm<T>.
    template <class T> T& form() { return static_cast<T&>(*form(nameOf(typeid(T)))); }
    template <class T> T* loaded() const { return static_cast<T*>(loadedForm(nameOf(typeid(T)))); }

    // Whether a window of that name exists in the program, and whether it is loaded now.
    bool knowsForm(std::string_view name) const;
    bool isLoaded(std::string_view name) const;
    // The loaded window of that name, or null; never loads it.
    Form* loadedForm(std::string_view name) const;
    // The window of that name, loading it if needed; null for an unknown name.
    Form* form(std::string_view name);
    std::vector<Form*> loadedForms() const;

    // Windows that one folder opens and another provides (a feature's dialog, the event
    // wizard): a window asks for one by what it is for, never by its name.
    enum class Dialog {
        Debrief,
        RemoteDisplays,
        Callouts,
        EventWizard,
        RemoveEvent,
        Plan,
        ExtendHold
    };
    template <class T> void provide(Dialog which) {
        m_dialogs[which] = [this](bool load) -> Form* { return load ? &form<T>() : loaded<T>(); };
    }
    // The dialog, loading it if needed; null where the program has none (the remote displays'
    // dialog needs the Qt binding).
    Form* dialog(Dialog which);
    // The dialog when it is loaded, else null; never loads it.
    Form* loadedDialog(Dialog which) const;

    // Unloads a window as the program's code does: its QueryUnload may cancel.
    void unload(Form& form);
    // The window's close button.
    void closeRequested(Form& form);

    // Ends the program once the current event has been handled.
    void endProgram();
    bool ended() const { return m_ended; }

    void setObserver(AppObserver* o) { m_observer = o; }

    // The monitors, as the Qt binding finds them; one monitor where there is no display.
    const Displays& displays() const { return m_displays ? *m_displays : m_oneMonitor; }
    void setDisplays(const Displays* d) { m_displays = d; }

    // Makes a window known by name; it is built on first touch.
    using FormFactory = std::function<std::unique_ptr<Form>(App&)>;
    void registerForm(std::string name, FormFactory factory);
    template <class T> void registerForm(std::string name) {
        registerForm<T>(std::move(name), [](App& app) { return std::make_unique<T>(app); });
    }
    template <class T> void registerForm(std::string name, FormFactory factory) {
        setTypeName(typeid(T), name);
        registerForm(std::move(name), std::move(factory));
    }

  private:
    // The name a window class was registered under; fails loudly for one never registered.
    // Looked up by the type's identity first: the rounds ask for windows by type every second,
    // and ordering type_infos compares their mangled names character by character.
    const std::string& nameOf(const std::type_info& type) const;
    void setTypeName(const std::type_info& type, const std::string& name);
    bool unloadWith(Form& form, UnloadMode mode);

    OwnClock m_ownClock;
    Services m_services;
    AppObserver* m_observer = nullptr;
    const Displays* m_displays = nullptr;
    OneMonitor m_oneMonitor;
    std::map<std::string, FormFactory, std::less<>> m_factories;
    std::vector<std::string> m_order; // window names in the order they were loaded
    std::map<std::string, std::unique_ptr<Form>, std::less<>> m_forms;
    std::vector<std::unique_ptr<Form>> m_unloaded; // destroyed after the current event
    bool m_ended = false;
    SimWizardEntries m_simWizardEntries;
    std::unique_ptr<SimClock> m_simClock;
    LaunchFileNames m_launchFileNames;
    LaunchState m_launchState;
    struct TypeName {
        const std::type_info* type;
        std::string name;
    };
    std::vector<TypeName> m_typeNames;
    Happenings m_happenings;
    std::string m_commandBy;
    std::string m_commandNote;
    std::int64_t m_commandNoteUntilMs = 0; // on the monotonic clock
    std::unique_ptr<Board> m_board;
    std::unique_ptr<orvane::Callouts> m_callouts;
    std::map<Dialog, std::function<Form*(bool load)>> m_dialogs;
};

} // namespace orvane
