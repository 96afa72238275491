#include "toolkit/window_places.h"

#include "services/services.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace orvane {

namespace {

constexpr const char* PlacesSection = "Window Places";

// A short, stable name for a monitor's identity (not its geometry, so a monitor that moves on
// the desktop keeps its places), fit to stand in a settings key.
std::string identityHash(const Monitor& m) {
    std::uint32_t h = 2166136261u;
    for (const std::string* part : {&m.name, &m.model, &m.serial}) {
        for (unsigned char c : *part) {
            h ^= c;
            h *= 16777619u;
        }
        h ^= '|';
        h *= 16777619u;
    }
    char text[9];
    std::snprintf(text, sizeof text, "%08x", unsigned(h));
    return text;
}

// "LEFT,TOP" from the monitor's corner, then the monitor's width and height when the place was
// kept ("LEFT,TOP,WIDTH,HEIGHT"); places kept before the size was written have none.
std::optional<KeptPlace> readPlace(std::string_view text) {
    int numbers[4] = {};
    int count = 0;
    for (std::string_view rest = text; count < 5; ++count) {
        const std::size_t comma = rest.find(',');
        const std::string_view part = rest.substr(0, comma);
        if (count == 4)
            return std::nullopt;
        auto [next, ec] = std::from_chars(part.data(), part.data() + part.size(), numbers[count]);
        if (ec != std::errc{} || next != part.data() + part.size())
            return std::nullopt;
        if (comma == std::string_view::npos) {
            ++count;
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    if (count == 4 && (numbers[2] <= 0 || numbers[3] <= 0))
        return std::nullopt;
    if (count != 2 && count != 4)
        return std::nullopt;
    return KeptPlace{{numbers[0], numbers[1]}, count == 4 ? numbers[2] : 0,
                     count == 4 ? numbers[3] : 0};
}

std::string writePlace(WindowPlace p, const Monitor& on) {
    return std::to_string(p.left) + "," + std::to_string(p.top) + "," +
           std::to_string(on.width) + "," + std::to_string(on.height);
}

// The kept place on ON: where it was relative to the monitor's size when the monitor has
// another size now, and always whole on it.
WindowPlace placeOn(const Monitor& on, const KeptPlace& kept, int width, int height) {
    WindowPlace offset = kept.offset;
    if (kept.monitorWidth > 0 && kept.monitorWidth != on.width)
        offset.left = int(std::int64_t(offset.left) * on.width / kept.monitorWidth);
    if (kept.monitorHeight > 0 && kept.monitorHeight != on.height)
        offset.top = int(std::int64_t(offset.top) * on.height / kept.monitorHeight);
    return keepOn(on, {on.left + offset.left, on.top + offset.top}, width, height);
}

} // namespace

WindowPlace keepOn(const Monitor& m, WindowPlace p, int width, int height) {
    p.left = std::max(m.left, std::min(p.left, m.left + m.width - width));
    p.top = std::max(m.top, std::min(p.top, m.top + m.height - height));
    return p;
}

std::string WindowPlaces::keyOf(const std::string& mode, const Monitor& monitor) const {
    return m_window + " " + mode + " " + identityHash(monitor);
}

std::optional<KeptPlace> WindowPlaces::keptOn(const std::string& mode,
                                              const Monitor& monitor) const {
    return readPlace(m_settings.get(m_appName, PlacesSection, keyOf(mode, monitor), ""));
}

int WindowPlaces::lastMonitor(const std::string& mode, const std::vector<Monitor>& monitors) const {
    return findRemembered(monitors, m_settings.get(m_appName, PlacesSection, m_window + " " + mode, ""));
}

WindowPlace WindowPlaces::placeFor(const std::string& mode, const std::vector<Monitor>& monitors,
                                   WindowPlace current, int currentWidth, int currentHeight,
                                   int width, int height, int designedLeft) const {
    const Monitor& on =
        monitors[monitorOf(monitors, current.left, current.top, currentWidth, currentHeight)];
    if (const auto kept = keptOn(mode, on))
        return placeOn(on, *kept, width, height);
    // Until the user moves the window, a mode comes back on the monitor where it was left,
    // though the other mode started elsewhere.
    if (const int last = m_moved ? -1 : lastMonitor(mode, monitors); last >= 0)
        if (const auto kept = keptOn(mode, monitors[last]))
            return placeOn(monitors[last], *kept, width, height);
    return {on.left + designedLeft, current.top};
}

WindowPlace WindowPlaces::startPlace(const std::string& mode, const std::vector<Monitor>& monitors,
                                     int width, int height, WindowPlace designed) const {
    const int index = lastMonitor(mode, monitors);
    if (index >= 0)
        if (const auto kept = keptOn(mode, monitors[index]))
            return placeOn(monitors[index], *kept, width, height);
    return designed;
}

void WindowPlaces::remember(const std::string& mode, const std::vector<Monitor>& monitors,
                            WindowPlace place, int width, int height) {
    const Monitor& on = monitors[monitorOf(monitors, place.left, place.top, width, height)];
    m_moved = true;
    m_settings.save(m_appName, PlacesSection, keyOf(mode, on),
                    writePlace({place.left - on.left, place.top - on.top}, on));
    m_settings.save(m_appName, PlacesSection, m_window + " " + mode, on.key());
}

} // namespace orvane
