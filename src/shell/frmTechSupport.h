#pragma once

// The Technical Support box: where to find help, and how to report a problem.

#include "toolkit/controls.h"
#include "toolkit/form.h"

namespace orvane {

class App;

class frmTechSupport : public Form {
  public:
    explicit frmTechSupport(App& app);

    Frame Frame1{this, "Frame1"};
    Label lblSupport{this, "lblSupport"};
    CommandButton cmdHelp{this, "cmdHelp"};
    CommandButton cmdOK{this, "cmdOK"};

  private:
    App& m_app;
};

} // namespace orvane
