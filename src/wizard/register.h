#pragma once

namespace orvane {

class App;

// Makes the event wizard's pages and the Remove Event dialog known to the application.
void registerEventWizard(App& app);

} // namespace orvane
