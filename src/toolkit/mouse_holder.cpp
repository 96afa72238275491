#include "toolkit/mouse_holder.h"

#include "toolkit/form.h"

namespace orvane {

Control* mouseHolder(const Control& c) {
    if (c.kind() == Kind::Form || c.kind() == Kind::MenuItem || !c.form().enabled())
        return nullptr;
    for (Control* holder = c.container(); holder; holder = holder->container())
        if (holder->acceptsInput())
            return holder;
    return &c.form();
}

} // namespace orvane
