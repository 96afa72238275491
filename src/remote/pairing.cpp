#include "remote/pairing.h"

#include "app.h"
#include "services/json.h"

#include <algorithm>

namespace orvane {

namespace {

constexpr const char* Section = "Remote Displays";
constexpr const char* DevicesKey = "Paired Devices";
constexpr std::size_t MaxNameChars = 40;

// The number of characters of valid UTF-8, or empty.
std::optional<std::size_t> utf8Length(std::string_view text) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++chars) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0x80           ? 1
                              : (c >> 5) == 0x6  ? 2
                              : (c >> 4) == 0xE  ? 3
                              : (c >> 3) == 0x1E ? 4
                                                 : 0;
        if (n == 0 || i + n > text.size() || (n > 1 && c < 0xC2) ||
            (c == 0xE0 && n == 3 && static_cast<unsigned char>(text[i + 1]) < 0xA0) || c > 0xF4)
            return std::nullopt;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2)
                return std::nullopt;
        i += n;
    }
    return chars;
}

// Compares without stopping at the first difference, so that the time taken says nothing
// of how much of a code was right.
bool sameCode(std::string_view a, std::string_view b) {
    unsigned diff = a.size() == b.size() ? 0 : 1;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        diff |= unsigned(a[i] ^ b[i]);
    return diff == 0;
}

bool isHash(std::string_view text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

} // namespace

bool checkDeviceName(std::string_view name, std::string& error) {
    const std::optional<std::size_t> chars = utf8Length(name);
    if (!chars) {
        error = "The name is not valid text.";
        return false;
    }
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; })) {
        error = "The name holds a control character.";
        return false;
    }
    if (name.find_first_not_of(' ') == std::string_view::npos) {
        error = "Give the device a name.";
        return false;
    }
    if (*chars > MaxNameChars) {
        error = "The name is longer than " + std::to_string(MaxNameChars) + " characters.";
        return false;
    }
    return true;
}

Pairing::Pairing(App& app) : m_app(app) {
    // Kept by this program itself; what does not read as it writes it is left out.
    std::string error;
    const std::string text =
        app.services().settings.get(app.info().exeName, Section, DevicesKey, "[]");
    const std::optional<JsonValue> list = JsonValue::parse(text, error);
    if (!list)
        return;
    for (const JsonValue& item : list->items()) {
        PairedDevice d;
        d.name = item["name"].text().value_or("");
        d.tokenHash = item["hash"].text().value_or("");
        d.pairedMs = item["paired_ms"].number().value_or(0);
        d.lastSeenMs = item["seen_ms"].number().value_or(0);
        if (checkDeviceName(d.name, error) && isHash(d.tokenHash) && m_devices.size() < MaxDevices)
            m_devices.push_back(std::move(d));
    }
}

std::int64_t Pairing::monotonicMs() const {
    return m_app.services().clock.monotonicMs();
}

// A new code is offered at the program's own screen, by someone there: the wrong codes
// counted so far are forgotten (a lock standing stays).
void Pairing::offerCode(std::string code) {
    m_code = std::move(code);
    m_wrongCodes = 0;
    m_codeUntilMs = monotonicMs() + CodeLifeMs;
}

std::optional<std::string> Pairing::code() const {
    return codeLeftMs() > 0 ? m_code : std::nullopt;
}

std::int64_t Pairing::codeLeftMs() const {
    return m_code ? std::max<std::int64_t>(0, m_codeUntilMs - monotonicMs()) : 0;
}

std::int64_t Pairing::lockedForMs() const {
    return std::max<std::int64_t>(0, m_lockedUntilMs - monotonicMs());
}

std::string Pairing::pair(std::string_view code, std::string_view name,
                          const std::string& tokenHash) {
    if (const std::int64_t locked = lockedForMs(); locked > 0) {
        const std::string why = "Pairing is locked after too many wrong codes; try again in " +
                                std::to_string((locked + 999) / 1000) + " seconds.";
        refuse(why);
        return why;
    }
    const bool offered = m_code.has_value();
    const bool right = offered && sameCode(code, *m_code);
    if (!right || codeLeftMs() == 0) {
        const std::string why = !offered ? "No code is on offer: choose Pair a device first."
                                : !right ? "That is not the code."
                                         : "That code has expired: choose Pair a device again.";
        if (++m_wrongCodes >= MaxWrongCodes) {
            m_wrongCodes = 0;
            m_lockedUntilMs = monotonicMs() + LockMs;
        }
        refuse(why);
        return why;
    }
    std::string error;
    if (!checkDeviceName(name, error)) {
        refuse(error);
        return error;
    }
    if (m_devices.size() >= MaxDevices) {
        const std::string why = "Eight devices are paired already: forget one first.";
        refuse(why);
        return why;
    }
    // The code is spent, whatever comes of it.
    m_code.reset();
    m_wrongCodes = 0;
    const std::int64_t now = m_app.trueTimeMs();
    m_devices.push_back({std::string(name), tokenHash, now, now});
    save();
    Happening h = m_app.happening(Happening::Kind::DevicePaired);
    h.by = std::string(name);
    m_app.raise(h);
    return {};
}

void Pairing::refuse(const std::string& reason) {
    Happening h = m_app.happening(Happening::Kind::PairingRefused);
    h.command = reason;
    m_app.raise(h);
}

const PairedDevice* Pairing::recognise(const std::string& tokenHash) {
    for (PairedDevice& d : m_devices)
        if (sameCode(d.tokenHash, tokenHash)) {
            const std::int64_t now = m_app.trueTimeMs();
            if (now - d.lastSeenMs >= SeenEveryMs || now < d.lastSeenMs) {
                d.lastSeenMs = now;
                save();
            }
            return &d;
        }
    return nullptr;
}

const PairedDevice* Pairing::find(const std::string& tokenHash) const {
    for (const PairedDevice& d : m_devices)
        if (sameCode(d.tokenHash, tokenHash))
            return &d;
    return nullptr;
}

void Pairing::forget(std::size_t index) {
    if (index >= m_devices.size())
        return;
    const PairedDevice gone = m_devices[index];
    m_devices.erase(m_devices.begin() + std::ptrdiff_t(index));
    save();
    Happening h = m_app.happening(Happening::Kind::DeviceForgotten);
    h.by = gone.name;
    m_app.raise(h);
    if (onForgotten)
        onForgotten(gone.tokenHash);
}

void Pairing::forgetAll() {
    while (!m_devices.empty())
        forget(m_devices.size() - 1);
}

void Pairing::save() {
    std::string text = "[";
    for (const PairedDevice& d : m_devices)
        text += std::string(text.size() > 1 ? "," : "") + "{\"name\":" + jsonText(d.name) +
                ",\"hash\":" + jsonText(d.tokenHash) +
                ",\"paired_ms\":" + std::to_string(d.pairedMs) +
                ",\"seen_ms\":" + std::to_string(d.lastSeenMs) + "}";
    m_app.services().settings.save(m_app.info().exeName, Section, DevicesKey, text + "]");
}

} // namespace orvane
