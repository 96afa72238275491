#include "app.h"
#include "clock/frmOrvane.h"

namespace orvane {

// Until launch data files are kept there is nothing to save, so leaving simply ends.
void frmOrvane::ConfirmExit() {
    m_app.endProgram();
}

} // namespace orvane
