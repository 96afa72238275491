#include "clock/frmPlan.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "clock/plan_run.h"
#include "model/plan_format.h"

#include <algorithm>

namespace orvane {

namespace {

// The first whole minute from the lowest hold down, then from T-99 hours down, that no hold
// of PLAN stands at: where a new hold is put for the user to move.
std::int64_t freeTime(const CountdownPlan& plan) {
    auto taken = [&](std::int64_t t) {
        return std::ranges::any_of(plan.holds(), [t](const auto& h) { return h.tSeconds == t; });
    };
    std::int64_t t = plan.empty() ? 20 * 60 : plan.holds().back().tSeconds - 60;
    if (t < 1)
        for (t = CountdownPlan::MaxSeconds; t > 0 && taken(t); t -= 60) {
        }
    return t;
}

} // namespace

frmPlan::frmPlan(App& app) : Form(app.services(), "frmPlan"), m_app(app) {
    setCaption("Countdown Plan");
    setCentered(true);
    move(0, 0, 8040, 4980);
    const std::pair<Label*, const char*> heads[] = {{&lblHeadTime, "T-Time"},
                                                    {&lblHeadLength, "Length"},
                                                    {&lblHeadWaits, "How it ends"},
                                                    {&lblHeadLabel, "Label"}};
    const int headLeft[] = {480, 1800, 2880, 3960};
    for (int i = 0; i < 4; ++i) {
        heads[i].first->setCaption(heads[i].second);
        heads[i].first->move(headLeft[i], 120, 1000, 255);
    }
    for (int n = 0; n < Rows; ++n) {
        const int top = 420 + n * 390;
        optRow[n].move(120, top + 30, 300, 255);
        txtTime[n].move(480, top, 1200, 330);
        txtLength[n].move(1800, top, 960, 330);
        chkWaits[n].setCaption("Waits");
        chkWaits[n].move(2880, top + 30, 900, 255);
        txtLabel[n].move(3960, top, 3540, 330);
        txtTime[n].onChange = [this, n] { TakeRow(n); };
        txtLength[n].onChange = [this, n] { TakeRow(n); };
        chkWaits[n].onClick = [this, n] { TakeRow(n); };
        txtLabel[n].onChange = [this, n] { TakeRow(n); };
    }
    vsbRows.move(7560, 420, 255, Rows * 390 - 60);
    vsbRows.onChange = [this] {
        if (!m_showing)
            ShowPlan();
    };
    lblMessage.setForeColor(0x0000C0);
    lblMessage.move(120, 3600, 7695, 495);
    cmdAdd.setCaption("&Add Hold");
    cmdAdd.move(120, 4200, 1500, 375);
    cmdRemove.setCaption("&Remove Hold");
    cmdRemove.move(1740, 4200, 1500, 375);
    cmdClose.setCaption("&Close");
    cmdClose.setCancel(true);
    cmdClose.move(6315, 4200, 1500, 375);
    cmdAdd.onClick = [this] { AddHold(); };
    cmdRemove.onClick = [this] { RemoveHold(); };
    cmdClose.onClick = [this] { m_app.unload(*this); };
    onLoad = [this] { ShowPlan(); };
}

void frmPlan::ShowPlan() {
    if (m_taking)
        return;
    // Every row is written from the plan again: none holds a wrong entry any more.
    m_wrong = {};
    const auto& holds = m_app.launchState().plan().holds();
    m_showing = true;
    vsbRows.setRange(0, std::max(0, int(holds.size()) - Rows));
    for (int n = 0; n < Rows; ++n) {
        const std::size_t i = holdAt(n);
        const bool here = i < holds.size();
        for (Control* c : std::initializer_list<Control*>{&optRow[n], &txtTime[n], &txtLength[n],
                                                          &chkWaits[n], &txtLabel[n]})
            c->setEnabled(here);
        txtTime[n].setText(here ? "T-" + planHms(holds[i].tSeconds) : "");
        txtLength[n].setText(here ? planHms(holds[i].lengthSeconds) : "");
        chkWaits[n].setValue(here && holds[i].waits);
        txtLabel[n].setText(here ? holds[i].label : "");
        if (!here)
            optRow[n].setValue(false);
    }
    cmdRemove.setEnabled(!holds.empty());
    m_showing = false;
}

void frmPlan::TakeRow(int n) {
    if (m_showing)
        return;
    const std::string& at = txtTime[n].text();
    const std::optional<std::int64_t> t =
        at.starts_with("T-") ? readHms(at.substr(2)) : std::nullopt;
    if (!t)
        return Wrong(n, "\"" + at + "\" is not a T-time such as T-00:20:00.");
    const std::optional<std::int64_t> length = readHms(txtLength[n].text());
    if (!length)
        return Wrong(n, "\"" + txtLength[n].text() + "\" is not a length such as 00:10:00.");
    CountdownPlan& plan = m_app.launchState().plan();
    const BuiltInHold hold{*t, *length, txtLabel[n].text(), chkWaits[n].value() == 1};
    if (const auto wrong = plan.replace(holdAt(n), hold))
        return Wrong(n, *wrong);
    Wrong(n, "");
    changed();
    // The plan keeps its holds in the order the count reaches them: a hold given another
    // T-time may take another row, which is then the one chosen.
    const auto& holds = plan.holds();
    const auto moved = std::size_t(std::ranges::find(holds, hold) - holds.begin());
    if (moved != holdAt(n)) {
        if (int(moved) < vsbRows.value() || int(moved) >= vsbRows.value() + Rows)
            vsbRows.setValue(int(moved));
        ShowPlan();
        optRow[int(moved) - vsbRows.value()].setValue(true);
    }
}

void frmPlan::AddHold() {
    CountdownPlan& plan = m_app.launchState().plan();
    const BuiltInHold hold{freeTime(plan), 10 * 60, "Built-in hold", false};
    if (const auto wrong = plan.add(hold))
        return Told(*wrong);
    Told("");
    changed();
    const auto& holds = plan.holds();
    const int at = int(std::ranges::find(holds, hold) - holds.begin());
    ShowPlan();
    vsbRows.setValue(std::max(0, at - Rows + 1));
    optRow[at - vsbRows.value()].setValue(true);
}

void frmPlan::RemoveHold() {
    const auto chosen = std::ranges::find_if(optRow, [](const auto& o) { return o.value(); });
    if (chosen == optRow.end())
        return Told("Choose the built-in hold to remove.");
    m_app.launchState().plan().remove(holdAt(int(chosen - optRow.begin())));
    chosen->setValue(false);
    Told("");
    changed();
    ShowPlan();
}

void frmPlan::changed() {
    m_taking = true;
    PlanRun::planChanged(m_app.frmOrvane());
    m_taking = false;
}

void frmPlan::Told(const std::string& message) {
    lblMessage.setCaption(message);
}

void frmPlan::Wrong(int n, const std::string& message) {
    m_wrong[std::size_t(n)] = message;
    // A row put right leaves the message of another row still wrong, if any.
    if (message.empty())
        for (const std::string& other : m_wrong)
            if (!other.empty())
                return Told(other);
    Told(message);
}

frmExtendHold::frmExtendHold(App& app) : Form(app.services(), "frmExtendHold"), m_app(app) {
    setCaption("Extend Built-in Hold");
    setCentered(true);
    move(0, 0, 4800, 2280);
    lblBy.setCaption("Extend the built-in hold by (h:mm:ss):");
    lblBy.move(240, 240, 3000, 255);
    txtBy.setText("0:05:00");
    txtBy.move(3300, 200, 1215, 330);
    lblMessage.setForeColor(0x0000C0);
    lblMessage.move(240, 720, 4275, 495);
    cmdExtend.setCaption("&Extend");
    cmdExtend.setDefault(true);
    cmdExtend.move(240, 1380, 1215, 375);
    cmdWait.setCaption("&Wait for Resume");
    cmdWait.move(1560, 1380, 1695, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdCancel.move(3360, 1380, 1155, 375);
    cmdExtend.onClick = [this] { Extend(false); };
    cmdWait.onClick = [this] { Extend(true); };
    cmdCancel.onClick = [this] { m_app.unload(*this); };
}

void frmExtendHold::Extend(bool wait) {
    CountdownPlan& plan = m_app.launchState().plan();
    const auto& standing = plan.standing();
    if (!m_app.launchState().builtInHeld() || !standing || standing->waits) {
        lblMessage.setCaption("No built-in hold that ends by itself stands now.");
        return;
    }
    if (wait) {
        plan.makeWait();
    } else {
        const std::optional<std::int64_t> by = readHms(txtBy.text());
        if (!by || *by < 1 || standing->lengthSeconds + *by > CountdownPlan::MaxSeconds) {
            lblMessage.setCaption("\"" + txtBy.text() +
                                  "\" is not a time from 0:00:01 that keeps the hold within "
                                  "99:00:00.");
            return;
        }
        plan.extend(*by);
    }
    PlanRun::planChanged(m_app.frmOrvane());
    m_app.unload(*this);
}

void registerPlanWindows(App& app) {
    app.registerForm<frmPlan>("frmPlan");
    app.registerForm<frmExtendHold>("frmExtendHold");
    app.provide<frmPlan>(App::Dialog::Plan);
    app.provide<frmExtendHold>(App::Dialog::ExtendHold);
}

} // namespace orvane
