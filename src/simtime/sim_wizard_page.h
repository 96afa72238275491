#pragma once

// The two pages of the Manual Sim Time Wizard: a wizard as the event wizard is, with its own
// caption and pages. However a page goes (Cancel, Enter, its close button), the wizard ends
// with it and gives the input back to the two main windows.

#include "colors.h"
#include "wizard/wizard_page.h"

#include <array>
#include <string>

namespace orvane {

// The colours of the before-liftoff and after-liftoff choices.
inline constexpr Color SimMinusColor = PaleRed;
inline constexpr Color SimPlusColor = Green;

// The wizard's pages, in the order the wizard unloads them.
extern const std::array<LoadedPage, 2> SimWizardPages;

class SimWizardPage : public WizardPage {
  public:
    SimWizardPage(App& app, std::string name)
        : WizardPage(app, std::move(name), "Manual Sim Time Wizard", SimWizardPages) {}
};

} // namespace orvane
