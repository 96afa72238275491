#include "app.h"
#include "clock/frmOrvane.h"

namespace orvane {

// Until launch data files are kept there is nothing to save, so leaving simply ends, once
// the computer's clock is put right if the user wants it.
void frmOrvane::ConfirmExit() {
    m_app.leaveProgram();
}

} // namespace orvane
