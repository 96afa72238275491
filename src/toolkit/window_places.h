#pragma once

// Where a window stands in each of its screen modes, per monitor: the designed place until
// the user moves it, then the place the user chose, kept in the settings so it holds across
// switches and restarts. Places are kept relative to their monitor, so a window put on the
// projector comes back on the projector, and a monitor that has gone gives way to one that is
// there.

#include "toolkit/displays.h"

#include <optional>
#include <string>
#include <vector>

namespace orvane {

class Settings;

struct WindowPlace {
    int left = 0, top = 0;
    bool operator==(const WindowPlace&) const = default;
};

// A place kept: its offset from the monitor's corner, and the monitor's size then (0 when a
// place was kept without it).
struct KeptPlace {
    WindowPlace offset;
    int monitorWidth = 0, monitorHeight = 0;
};

class WindowPlaces {
  public:
    WindowPlaces(Settings& settings, std::string appName, std::string window)
        : m_settings(settings), m_appName(std::move(appName)), m_window(std::move(window)) {}

    // Where the window in MODE, of WIDTH x HEIGHT, goes when it switches to it from the place
    // and size it has now: its place remembered on the monitor it is on now; else, until the
    // user moves the window, where that mode was last left; else the designed left edge on
    // the monitor it is on at the present top. A place kept on a monitor of another size
    // stands where it stood relative to the monitor, and always whole on it.
    WindowPlace placeFor(const std::string& mode, const std::vector<Monitor>& monitors,
                         WindowPlace current, int currentWidth, int currentHeight, int width,
                         int height, int designedLeft) const;
    // Where the window in MODE opens when the program starts: where the user last put it in
    // that mode, if that monitor is still there, else the designed place.
    WindowPlace startPlace(const std::string& mode, const std::vector<Monitor>& monitors, int width,
                           int height, WindowPlace designed) const;
    // The user put the window in MODE at PLACE.
    void remember(const std::string& mode, const std::vector<Monitor>& monitors, WindowPlace place,
                  int width, int height);

  private:
    std::optional<KeptPlace> keptOn(const std::string& mode, const Monitor& monitor) const;
    // The monitor the window in MODE was last left on, when it is attached; else -1.
    int lastMonitor(const std::string& mode, const std::vector<Monitor>& monitors) const;
    std::string keyOf(const std::string& mode, const Monitor& monitor) const;

    Settings& m_settings;
    std::string m_appName;
    std::string m_window;
    // The user has moved the window since the program started.
    bool m_moved = false;
};

// Where a window of WIDTH x HEIGHT at LEFT, TOP is brought to lie within the monitor when it
// would stand partly off it (a monitor now smaller than when the place was kept).
WindowPlace keepOn(const Monitor& monitor, WindowPlace place, int width, int height);

} // namespace orvane
