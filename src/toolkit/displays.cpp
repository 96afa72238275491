#include "toolkit/displays.h"

#include <cstdint>
#include <limits>

namespace orvane {

namespace {

// The parts of a key, split at '|'.
std::vector<std::string> keyParts(const std::string& key) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : key) {
        if (c == '|') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

// A '|' in a monitor's own words would cut its key in the wrong place.
std::string keyWord(std::string s) {
    for (char& c : s)
        if (c == '|')
            c = '/';
    return s;
}

} // namespace

std::string Monitor::key() const {
    return keyWord(name) + "|" + keyWord(model) + "|" + keyWord(serial) + "|" +
           std::to_string(left) + "," + std::to_string(top) + "," + std::to_string(width) + "," +
           std::to_string(height);
}

std::string Monitor::describe() const {
    std::string words = name.empty() ? std::string("Monitor") : name;
    if (!model.empty())
        words += " (" + model + ")";
    words += ", " + std::to_string(pixelWidth) + " x " + std::to_string(pixelHeight);
    return words;
}

std::vector<Monitor> OneMonitor::monitors() const {
    return {Monitor{"Screen", "", "", 0, 0, 1920 * 15, 1080 * 15, 1920, 1080}};
}

int findRemembered(const std::vector<Monitor>& monitors, const std::string& key) {
    if (key.empty())
        return -1;
    const std::vector<std::string> parts = keyParts(key);
    if (parts.size() != 4)
        return -1;
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].key() == key)
            return int(i);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Monitor& m = monitors[i];
        if (keyWord(m.name) == parts[0] && keyWord(m.model) == parts[1] &&
            keyWord(m.serial) == parts[2])
            return int(i);
    }
    for (std::size_t i = 0; i < monitors.size(); ++i)
        if (!parts[0].empty() && keyWord(monitors[i].name) == parts[0])
            return int(i);
    return -1;
}

int monitorOf(const std::vector<Monitor>& monitors, int left, int top, int width, int height) {
    const std::int64_t x = std::int64_t(left) + width / 2;
    const std::int64_t y = std::int64_t(top) + height / 2;
    int best = 0;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const Monitor& m = monitors[i];
        const std::int64_t dx =
            x < m.left ? m.left - x : (x >= m.left + m.width ? x - (m.left + m.width - 1) : 0);
        const std::int64_t dy =
            y < m.top ? m.top - y : (y >= m.top + m.height ? y - (m.top + m.height - 1) : 0);
        const std::int64_t distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    return best;
}

} // namespace orvane
