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

std::optional<WindowPlace> readOffset(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    WindowPlace p;
    const char* first = text.data();
    auto a = std::from_chars(first, first + comma, p.left);
    auto b = std::from_chars(first + comma + 1, first + text.size(), p.top);
    if (a.ec != std::errc{} || a.ptr != first + comma || b.ec != std::errc{} ||
        b.ptr != first + text.size())
        return std::nullopt;
    return p;
}

std::string writeOffset(WindowPlace p) {
    return std::to_string(p.left) + "," + std::to_string(p.top);
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

std::optional<WindowPlace> WindowPlaces::offsetOn(const std::string& mode,
                                                  const Monitor& monitor) const {
    return readOffset(m_settings.get(m_appName, PlacesSection, keyOf(mode, monitor), ""));
}

WindowPlace WindowPlaces::placeFor(const std::string& mode, const std::vector<Monitor>& monitors,
                                   WindowPlace current, int currentWidth, int currentHeight,
                                   int width, int height, int designedLeft) const {
    const Monitor& on =
        monitors[monitorOf(monitors, current.left, current.top, currentWidth, currentHeight)];
    if (const auto offset = offsetOn(mode, on))
        return keepOn(on, {on.left + offset->left, on.top + offset->top}, width, height);
    return {on.left + designedLeft, current.top};
}

WindowPlace WindowPlaces::startPlace(const std::string& mode, const std::vector<Monitor>& monitors,
                                     int width, int height, WindowPlace designed) const {
    const std::string last = m_settings.get(m_appName, PlacesSection, m_window + " " + mode, "");
    const int index = findRemembered(monitors, last);
    if (index >= 0)
        if (const auto offset = offsetOn(mode, monitors[index]))
            return keepOn(monitors[index],
                          {monitors[index].left + offset->left, monitors[index].top + offset->top},
                          width, height);
    return designed;
}

void WindowPlaces::remember(const std::string& mode, const std::vector<Monitor>& monitors,
                            WindowPlace place, int width, int height) {
    const Monitor& on = monitors[monitorOf(monitors, place.left, place.top, width, height)];
    m_settings.save(m_appName, PlacesSection, keyOf(mode, on),
                    writeOffset({place.left - on.left, place.top - on.top}));
    m_settings.save(m_appName, PlacesSection, m_window + " " + mode, on.key());
}

} // namespace orvane
