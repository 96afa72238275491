#pragma once

// The Remove Event dialog: clears one event's row from the board.

#include "toolkit/controls.h"
#include "toolkit/form.h"

#include <array>

namespace orvane {

class App;

class frmRemoveEvent : public Form {
  public:
    explicit frmRemoveEvent(App& app);

    Label Label1{this, "Label1"};
    Frame Frame1{this, "Frame1"};
    std::array<OptionButton, 10> optNumber = makeArray<OptionButton, 10>(this, "optNumber");
    CommandButton cmdRemove{this, "cmdRemove"};
    CommandButton cmdCancel{this, "cmdCancel"};

    // Asks, then clears event N's row; the event's times stay in the record.
    void RemoveEvent(int n);

  private:
    void removeSelected();
    void close();
    App& m_app;
};

} // namespace orvane
