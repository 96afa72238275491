#pragma once

// What the remote displays show: the count, the hold, the launch time and window and the
// event rows, read from the windows as they stand. The browser pages count by themselves from
// the launch time and the program's clock, so a new state goes out only when something they
// cannot work out changes (a hold, a new launch time, the window, an event defined or
// removed), never because a second passed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class App;
class JsonValue;

struct RemoteCount {
    char sign = '-'; // '-' before launch, '+' from the launch second on
    std::int64_t days = 0, hours = 0, minutes = 0, seconds = 0;
    bool operator==(const RemoteCount&) const = default;
};

struct RemoteEvent {
    int number = 1; // 1 to 10, as the board names its rows
    std::string name;
    char sign = '-';
    std::int64_t offsetSeconds = 0;
    // The moment the row counts to, or the moment it captured once it began counting up.
    std::int64_t momentMs = 0;
    std::string text; // the row's count as the board shows it
};

// The countdown plan's state, when the leader runs one (a new field: an older page or
// follower leaves it alone).
struct RemotePlan {
    std::int64_t liftoffMs = 0;
    std::string lCount; // "L - 000 01:05:00", as the main window shows it
    // The built-in hold standing, if any: its label and its time left (negative past the
    // planned end of one that waits).
    std::optional<std::string> holdLabel;
    std::int64_t holdLeftSeconds = 0;
    bool operator==(const RemotePlan&) const = default;
};

struct RemoteState {
    std::int64_t serverTimeMs = 0;
    std::int64_t launchTimeMs = 0;
    bool holding = false;
    RemoteCount count;
    bool windowActive = false;
    std::string windowText;
    // What is left of the window in seconds, when it is a time (added to the message later:
    // an older leader leaves it out).
    std::optional<std::int64_t> windowLeftSeconds;
    std::vector<RemoteEvent> events; // assigned events only, in event-number order
    // A follower that has not heard its leader has no count of its own: why, instead (added
    // later: pages that do not know it show the count as before).
    std::optional<std::string> notHeard;
    std::optional<RemotePlan> plan;
};

// Reads the state from the loaded windows, at the computer's clock's reading in Unix
// milliseconds; the state's time is the program's clock. Windows not loaded yet read as their
// design values.
// The rows' texts are read unless TEXTS says to leave them: who reads the state each second to
// see whether it changed, and sends it only then, reads them when it sends (readEventTexts).
enum class EventTexts { Read, Left };
RemoteState readRemoteState(App& app, std::int64_t computerTimeMs,
                            EventTexts texts = EventTexts::Read);
// Reads the texts of the events in STATE, read without them, as the board shows them now.
void readEventTexts(App& app, RemoteState& state);

// True when a page that holds `before` would show something other than `after` shows: the
// count while held, the launch time while counting, the window, the events. The passing of
// time alone is no change.
bool remoteStateChanged(const RemoteState& before, const RemoteState& after);

// The state as the remote displays' /state.json and a leader's message write it, its fields in
// their documented order (remote_json.cpp).
std::string remoteStateJson(const RemoteState& state);
// The state read back from that object; empty with the reason in ERROR when a field is missing
// or of the wrong kind.
std::optional<RemoteState> remoteStateFromJson(const JsonValue& object, std::string& error);

// When the state goes out again although nothing a page shows changed. Pages measure their
// clock's offset from every state, so they hear from the program at least every
// ResendAfterMs, and at once after the clock was stepped (either way) by more than
// ClockStepMs.
inline constexpr std::int64_t ResendAfterMs = 60'000;
inline constexpr std::int64_t ClockStepMs = 500;
struct ResendClock {
    std::int64_t serverTimeMs = 0; // the program's clock
    // The program's clock's lead over a steady clock: a step of the clock changes it.
    std::int64_t leadMs = 0;
};
// Whether to send the state read at NOW to pages that got the one read at SENT.
bool resendDue(const ResendClock& sent, const ResendClock& now, bool stateChanged);

// Where to serve: "[ADDRESS:]PORT", "[::1]:8080" for an IPv6 address. Empty with a reason in
// `error` when the text is not one.
struct ServeAddress {
    std::string address = "127.0.0.1";
    int port = 0;
};
std::optional<ServeAddress> parseServeAddress(std::string_view text, std::string& error);
// "http://127.0.0.1:8080/", with brackets around an IPv6 address; "https://" over TLS.
std::string pageAddress(const std::string& address, int port, bool tls = false);

} // namespace orvane
