#include "wizard/register.h"

#include "app.h"

namespace orvane {

void registerEventWizard(App&) {}

} // namespace orvane
