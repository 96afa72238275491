#include "data/launch_fields.h"

#include "app.h"
#include "toolkit/form.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace orvane {

namespace {

// A window's controls by name, as the file names them.
class Controls {
  public:
    explicit Controls(Form& form) : m_form(form) {}

    PropValue get(const char* name, const char* property, int index = -1) const {
        return control(name, index).property(property).value_or(PropValue());
    }
    std::string text(const char* name, const char* property, int index = -1) const {
        const PropValue v = get(name, property, index);
        return v.isText() ? v.text() : std::string();
    }
    int number(const char* name) const {
        const PropValue v = get(name, "Value");
        return v.isNumber() ? int(v.number()) : 0;
    }
    bool boolean(const char* name, const char* property, int index = -1) const {
        const PropValue v = get(name, property, index);
        return v.isBool() && v.boolean();
    }
    // The reader has checked every value, so a control refusing one is the program's fault.
    void set(const char* name, const char* property, const std::string& value) {
        const SetResult result = control(name, -1).setProperty(property, value);
        if (!result.ok)
            fault(std::string(name) + "." + property + " refused \"" + value + "\": " +
                  result.error);
    }

  private:
    // A control the file names is one the window has: anything else is the program's fault,
    // and stops it before anything is read or written wrongly.
    Control& control(const char* name, int index) const {
        Control* c =
            index < 0 ? m_form.findControl(name) : m_form.findControl(name, std::to_string(index));
        if (!c)
            fault(m_form.name() + " has no control " + name +
                  (index < 0 ? std::string() : "(" + std::to_string(index) + ")"));
        return *c;
    }
    [[noreturn]] static void fault(const std::string& what) {
        std::fprintf(stderr, "Launch data fields: %s\n", what.c_str());
        std::abort();
    }
    Form& m_form;
};

StatusPanel& currentFilePanel(App& app) {
    return static_cast<StatusPanel&>(
        *app.form("frmOrvane")->findControl("sbrStatusBar", "pnlCurrentFile"));
}

} // namespace

std::string shownLaunchFile(App& app) {
    return currentFilePanel(app).text();
}

void showLaunchFile(App& app, const std::string& path) {
    currentFilePanel(app).setText(path);
}

LaunchData collectLaunchData(App& app) {
    const Controls main(*app.form("frmOrvane"));
    const Controls board(*app.form("frmEventTimers"));
    LaunchData d;
    d.lblTarget = main.text("lblTarget", "Caption");
    d.txtLaunchDate = main.text("txtLaunchDate", "Text");
    d.chkLaunchWindowActive = main.number("chkLaunchWindowActive");
    d.holdEnabled = main.boolean("cmdHoldResume", "Enabled");
    d.lblLaunchWindow = main.text("lblLaunchWindow", "Caption");
    d.txtSeconds = main.text("txtSeconds", "Text");
    d.txtMinutes = main.text("txtMinutes", "Text");
    d.txtHours = main.text("txtHours", "Text");
    d.txtSecondsW = main.text("txtSecondsW", "Text");
    d.txtMinutesW = main.text("txtMinutesW", "Text");
    d.txtHoursW = main.text("txtHoursW", "Text");
    d.savePath = app.launchFileNames().savePath;
    d.currentFile = shownLaunchFile(app);
    d.vsbSeconds = main.number("vsbSeconds");
    d.vsbMinutes = main.number("vsbMinutes");
    d.vsbHours = main.number("vsbHours");
    d.vsbSecondsW = main.number("vsbSecondsW");
    d.vsbMinutesW = main.number("vsbMinutesW");
    d.vsbHoursW = main.number("vsbHoursW");
    d.sim = app.simWizardEntries();
    const CTimeData& record = app.EventData();
    for (int n = 0; n < 10; ++n) {
        LaunchEventBlock& e = d.events[std::size_t(n)];
        e.tag = record.Tag(n);
        e.secs = record.Secs(n);
        e.plus = record.Plus(n);
        e.visible = board.boolean("pctEvent", "Visible", n);
        e.mark = board.text("pctEvent", "Tag", n);
        e.name = board.text("lblName", "Caption", n);
    }
    return d;
}

void applyLaunchData(App& app, const LaunchData& d) {
    Controls main(*app.form("frmOrvane"));
    main.set("lblTarget", "Caption", d.lblTarget);
    main.set("txtLaunchDate", "Text", d.txtLaunchDate);
    main.set("chkLaunchWindowActive", "Value", std::to_string(d.chkLaunchWindowActive));
    app.setHoldArmed(d.holdEnabled);
    main.set("lblLaunchWindow", "Caption", d.lblLaunchWindow);
    // Each scroll bar is assigned before its box: the scroll bar's change writes its value
    // into the box, and the box then takes the file's text, so both read back as saved.
    const struct {
        const char* bar;
        int value;
        const char* box;
        const std::string& text;
    } pairs[] = {{"vsbSeconds", d.vsbSeconds, "txtSeconds", d.txtSeconds},
                 {"vsbMinutes", d.vsbMinutes, "txtMinutes", d.txtMinutes},
                 {"vsbHours", d.vsbHours, "txtHours", d.txtHours},
                 {"vsbSecondsW", d.vsbSecondsW, "txtSecondsW", d.txtSecondsW},
                 {"vsbMinutesW", d.vsbMinutesW, "txtMinutesW", d.txtMinutesW},
                 {"vsbHoursW", d.vsbHoursW, "txtHoursW", d.txtHoursW}};
    for (const auto& pair : pairs) {
        main.set(pair.bar, "Value", std::to_string(pair.value));
        main.set(pair.box, "Text", pair.text);
    }
    app.simWizardEntries() = d.sim;

    CTimeData& record = app.EventData();
    for (int n = 0; n < 10; ++n) {
        const LaunchEventBlock& e = d.events[std::size_t(n)];
        record.setTag(n, e.tag);
        record.setSecs(n, e.secs);
        record.setPlus(n, e.plus);
        app.RestoreEventRow(n, e.name, e.mark, e.visible);
    }
}

} // namespace orvane
