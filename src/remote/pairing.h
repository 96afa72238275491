#pragma once

// The devices paired to control the count, and the pairing of a new one. Pairing needs
// presence: the program's own screen shows a six-digit code, good for two minutes and for one
// device. Wrong codes are limited for everyone at once: after five, pairing locks for a
// minute. A paired device holds a random token; the program keeps only its hash, with the
// device's name, when it was paired and when it was last seen, in the settings.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class App;

struct PairedDevice {
    std::string name;
    std::string tokenHash;                     // lower-case hex of the token's SHA-256
    std::int64_t pairedMs = 0, lastSeenMs = 0; // true time, Unix milliseconds
    bool operator==(const PairedDevice&) const = default;
};

// Whether NAME can name a device: 1 to 40 characters of valid UTF-8, no control characters,
// not all blank. If not, why, in ERROR.
bool checkDeviceName(std::string_view name, std::string& error);

class Pairing {
  public:
    static constexpr std::int64_t CodeLifeMs = 120'000;
    static constexpr int MaxWrongCodes = 5;
    static constexpr std::int64_t LockMs = 60'000;
    static constexpr std::size_t MaxDevices = 8;
    // A device is seen again in the settings at most this often.
    static constexpr std::int64_t SeenEveryMs = 60'000;

    // Reads the devices paired in an earlier run from the settings.
    explicit Pairing(App& app);

    // Offers CODE (six digits) for the next two minutes, in place of any code before it.
    void offerCode(std::string code);
    // The code on offer now, if any, and the milliseconds it has left.
    std::optional<std::string> code() const;
    std::int64_t codeLeftMs() const;
    // Pairing is locked after too many wrong codes: the milliseconds until it opens again.
    std::int64_t lockedForMs() const;

    // A device named NAME asks to pair with CODE, its token hashing to TOKENHASH. Empty when
    // paired, else why not in words for the device; every refusal is recorded.
    std::string pair(std::string_view code, std::string_view name, const std::string& tokenHash);

    // The device whose token hashes to TOKENHASH, seen now; null for none.
    const PairedDevice* recognise(const std::string& tokenHash);
    // The same, without counting it as seen.
    const PairedDevice* find(const std::string& tokenHash) const;
    const std::vector<PairedDevice>& devices() const { return m_devices; }
    // Forgets a device, or all of them: their tokens never work again, and onForgotten hears
    // each so that their connections end at once.
    void forget(std::size_t index);
    void forgetAll();
    std::function<void(const std::string& tokenHash)> onForgotten;

  private:
    void refuse(const std::string& reason);
    void save();
    std::int64_t monotonicMs() const;

    App& m_app;
    std::vector<PairedDevice> m_devices;
    std::optional<std::string> m_code;
    std::int64_t m_codeUntilMs = 0;
    int m_wrongCodes = 0;
    std::int64_t m_lockedUntilMs = 0;
};

} // namespace orvane
