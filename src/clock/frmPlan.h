#pragma once

// The countdown plan's editor: the built-in holds as a table, one row each, edited in place.
// Every entry is checked as it is typed with the plan's own messages, and taken into the plan
// only when the plan takes it; a hold standing now is not in the table's reach, so editing
// during a built-in hold changes only the holds ahead.

#include "toolkit/controls.h"
#include "toolkit/form.h"

#include <array>
#include <cstddef>
#include <string>

namespace orvane {

class App;
struct BuiltInHold;

class frmPlan : public Form {
  public:
    explicit frmPlan(App& app);
    static constexpr int Rows = 8;

    // Shows the plan's holds from the scroll bar's row on; a row being typed into keeps its
    // text until the plan takes it.
    void ShowPlan();

  private:
    // The row's boxes read as a hold, or the message saying what is wrong with them.
    void TakeRow(int n);
    void AddHold();
    void RemoveHold();
    // The plan changed here: the main window follows it.
    void changed();
    void Told(const std::string& message);
    // Row N's entry is wrong for MESSAGE, or right when it is empty.
    void Wrong(int n, const std::string& message);
    std::size_t holdAt(int row) const { return std::size_t(vsbRows.value() + row); }

    Label lblHeadTime{this, "lblHeadTime"};
    Label lblHeadLength{this, "lblHeadLength"};
    Label lblHeadWaits{this, "lblHeadWaits"};
    Label lblHeadLabel{this, "lblHeadLabel"};
    std::array<OptionButton, Rows> optRow = makeArray<OptionButton, Rows>(this, "optRow");
    std::array<TextBox, Rows> txtTime = makeArray<TextBox, Rows>(this, "txtTime");
    std::array<TextBox, Rows> txtLength = makeArray<TextBox, Rows>(this, "txtLength");
    std::array<CheckBox, Rows> chkWaits = makeArray<CheckBox, Rows>(this, "chkWaits");
    std::array<TextBox, Rows> txtLabel = makeArray<TextBox, Rows>(this, "txtLabel");
    ScrollBar vsbRows{this, "vsbRows"};
    Label lblMessage{this, "lblMessage"};
    CommandButton cmdAdd{this, "cmdAdd"};
    CommandButton cmdRemove{this, "cmdRemove"};
    CommandButton cmdClose{this, "cmdClose"};

    App& m_app;
    // The window's own writing of the rows does not come back as an edit, and its own change
    // of the plan does not rewrite the row being typed into.
    bool m_showing = false;
    bool m_taking = false;
    // What is wrong with each row as typed, empty where the plan holds what it shows.
    std::array<std::string, Rows> m_wrong;
};

// The dialog that extends the built-in hold standing now by a chosen time, or makes it wait
// for Resume; only a hold that ends by itself can be extended.
class frmExtendHold : public Form {
  public:
    explicit frmExtendHold(App& app);

  private:
    void Extend(bool wait);

    Label lblBy{this, "lblBy"};
    TextBox txtBy{this, "txtBy"};
    Label lblMessage{this, "lblMessage"};
    CommandButton cmdExtend{this, "cmdExtend"};
    CommandButton cmdWait{this, "cmdWait"};
    CommandButton cmdCancel{this, "cmdCancel"};
    App& m_app;
};

// Makes the plan's windows known to APP.
void registerPlanWindows(App& app);

} // namespace orvane
