#pragma once

// What the two pages of the Manual Sim Time Wizard share: their caption, and the end of the
// wizard, which unloads both pages and gives the input back to the two main windows however
// the wizard ends.

#include "colors.h"
#include "platform/controls.h"
#include "platform/form.h"

#include <string>
#include <string_view>

namespace orvane {

class App;

// The colours of the before-liftoff and after-liftoff choices.
inline constexpr Color SimMinusColor = PaleRed;
inline constexpr Color SimPlusColor = Green;

class SimWizardPage : public Form {
  public:
    SimWizardPage(App& app, std::string name);

  protected:
    // Hides this page and shows the other, loading it when needed.
    void goTo(std::string_view page);
    // Unloads both pages; unloading enables the two main windows again.
    void endWizard();

    App& m_app;

  private:
    bool m_ending = false;
};

inline constexpr std::string_view SimWizardPages[] = {"frmWizardPlusMinus", "frmWizardTime"};

} // namespace orvane
