#include "data/modOpenFile.h"

namespace orvane {

// Launch data files are not kept yet: the program starts from the windows' design values.
void ReadLaunchFile(App&, bool) {}

} // namespace orvane
