#include "shell/modHelp.h"

#include "services/services.h"

namespace orvane {

std::string HelpFile(const AppInfo& info) {
    return info.programDir + "/ovproj.chm";
}

} // namespace orvane
