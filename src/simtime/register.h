#pragma once

namespace orvane {

class App;

// Makes the Manual Sim Time Wizard's two pages known to the application.
void registerSimTimeWizard(App& app);

} // namespace orvane
