#pragma once

// The monitors Qt knows, for the windows: names, makers, serials and places, in twips at the
// view's resolution.

#include "toolkit/displays.h"

namespace orvane {

class QtView;

class QtDisplays : public Displays {
  public:
    explicit QtDisplays(const QtView& view) : m_view(view) {}
    std::vector<Monitor> monitors() const override;

  private:
    const QtView& m_view;
};

} // namespace orvane
