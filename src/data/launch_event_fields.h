#pragma once

// The launch data file's ten event blocks: each event's record and its row on the board.

#include "data/launch_format.h"

namespace orvane {

class App;

void collectEventBlocks(App& app, LaunchData& d);
// Writes the record and the rows, each row counting afresh; the file's reader has checked
// every value.
void applyEventBlocks(App& app, const LaunchData& d);

} // namespace orvane
