#pragma once

// Which requests the remote displays answer. A browser names the site it thinks it is
// talking to in the Host field, so a page on another site that has its own name point at
// this computer (DNS rebinding) is refused by that name; and a WebSocket opened from a page
// of another site shows it in its Origin field, which the page cannot change.

#include <string>
#include <string_view>
#include <vector>

namespace orvane {

enum class HostVerdict {
    Answered,    // an IP address or one of this computer's names
    Misdirected, // a name this computer does not answer to (421)
    Malformed,   // not a host with an optional port (400)
};

// The Host field of a request: "name", "name:port", "192.168.1.20:8080", "[::1]:8080". Any IP
// address is answered, with any port: a page whose site is an address was loaded from that
// address. An empty field (a request of HTTP/1.0 without one) comes from a program, not a
// browser, and is answered too. `names` are compared without regard to case.
HostVerdict judgeHost(std::string_view host, const std::vector<std::string>& names);

// Whether an Origin field ("http://name:port") names the host and port of the Host field. A
// Host without a port matches an Origin on its scheme's own port: behind a proxy that takes
// the TLS, the page's origin is "https://name" and the Host "name".
bool originMatchesHost(std::string_view origin, std::string_view host);

// The names this computer answers to: "localhost", its host name, that name's first label
// with ".local" (the name its neighbours find it by), and the names given with --serve-name.
std::vector<std::string> servedNames(const std::string& hostName,
                                     const std::vector<std::string>& extra);

// Whether the text can be given to --serve-name: a host name of letters, digits and hyphens
// in dot-separated labels. If not, why, in `error`.
bool checkServeName(std::string_view name, std::string& error);

} // namespace orvane
