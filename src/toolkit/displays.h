#pragma once

// The monitors of the computer, as the windows need them: to cover one with the count, and to
// keep a window's place on the monitor it was put on. Geometry is in twips on the one desktop
// that spans every monitor, like a window's Left and Top.

#include <string>
#include <vector>

namespace orvane {

struct Monitor {
    std::string name;   // the output's name ("HDMI-1")
    std::string model;  // maker and model, as far as the monitor tells
    std::string serial; // empty when the monitor has none to tell
    int left = 0, top = 0, width = 0, height = 0;
    // Its size in the pixels people know it by (1920 x 1080).
    int pixelWidth = 0, pixelHeight = 0;

    // What the program remembers a monitor by: its name, model, serial and geometry.
    std::string key() const;
    // Words for a person choosing among monitors.
    std::string describe() const;
    bool contains(int x, int y) const {
        return x >= left && y >= top && x < left + width && y < top + height;
    }
    bool operator==(const Monitor&) const = default;
};

class Displays {
  public:
    virtual ~Displays() = default;
    // The monitors now attached, the primary one first; never empty.
    virtual std::vector<Monitor> monitors() const = 0;
};

// One monitor of 1920 x 1080 pixels at 96 dpi: what the program sees where it has no display
// (the scenario runner, tests that name no monitors).
class OneMonitor : public Displays {
  public:
    std::vector<Monitor> monitors() const override;
};

// Which of MONITORS a remembered KEY stands for: the same monitor at the same place, else the
// same monitor elsewhere, else a monitor on the same output; -1 when none.
int findRemembered(const std::vector<Monitor>& monitors, const std::string& key);

// The monitor a window at LEFT, TOP of WIDTH x HEIGHT twips lies on most: the one holding
// its centre, else the nearest; MONITORS must not be empty.
int monitorOf(const std::vector<Monitor>& monitors, int left, int top, int width, int height);

} // namespace orvane
