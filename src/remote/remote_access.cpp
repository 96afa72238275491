#include "remote/remote_access.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

namespace orvane {

namespace {

struct HostPort {
    std::string host; // lower case, without brackets or a final dot
    bool ipv6 = false;
    int port = -1; // -1 when none is given
};

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
}

// "" or digits up to 65535 after the host's colon.
bool readPort(std::string_view text, int& port) {
    if (text.empty())
        return true;
    if (text.size() > 5 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    std::from_chars(text.data(), text.data() + text.size(), port);
    return port <= 65535;
}

std::optional<HostPort> splitHost(std::string_view text) {
    HostPort hp;
    std::string_view rest;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        hp.host = lower(text.substr(1, close - 1));
        hp.ipv6 = true;
        rest = text.substr(close + 1);
        if (!rest.empty() && !rest.starts_with(':'))
            return std::nullopt;
        in6_addr address{};
        if (inet_pton(AF_INET6, hp.host.c_str(), &address) != 1)
            return std::nullopt;
    } else {
        const auto colon = text.find(':');
        hp.host = lower(text.substr(0, colon));
        if (colon != std::string_view::npos)
            rest = text.substr(colon);
        if (hp.host.empty() || !std::all_of(hp.host.begin(), hp.host.end(), isNameChar))
            return std::nullopt;
        if (hp.host.size() > 1 && hp.host.back() == '.')
            hp.host.pop_back();
    }
    if (!rest.empty() && !readPort(rest.substr(1), hp.port))
        return std::nullopt;
    return hp;
}

bool isIPv4(const std::string& host) {
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1;
}

} // namespace

HostVerdict judgeHost(std::string_view host, const std::vector<std::string>& names) {
    if (host.empty())
        return HostVerdict::Answered;
    const std::optional<HostPort> hp = splitHost(host);
    if (!hp)
        return HostVerdict::Malformed;
    if (hp->ipv6 || isIPv4(hp->host))
        return HostVerdict::Answered;
    for (const std::string& name : names)
        if (lower(name) == hp->host)
            return HostVerdict::Answered;
    return HostVerdict::Misdirected;
}

bool originMatchesHost(std::string_view origin, std::string_view host) {
    const auto separator = origin.find("://");
    if (separator == std::string_view::npos)
        return false;
    const std::string scheme = lower(origin.substr(0, separator));
    int schemePort = -1;
    if (scheme == "http")
        schemePort = 80;
    else if (scheme == "https")
        schemePort = 443;
    else
        return false;
    const std::optional<HostPort> from = splitHost(origin.substr(separator + 3));
    const std::optional<HostPort> to = splitHost(host);
    if (!from || !to || from->host != to->host)
        return false;
    const int fromPort = from->port < 0 ? schemePort : from->port;
    return to->port < 0 ? fromPort == schemePort : fromPort == to->port;
}

std::vector<std::string> servedNames(const std::string& hostName,
                                     const std::vector<std::string>& extra) {
    std::vector<std::string> names{"localhost"};
    if (!hostName.empty()) {
        names.push_back(hostName);
        names.push_back(hostName.substr(0, hostName.find('.')) + ".local");
    }
    names.insert(names.end(), extra.begin(), extra.end());
    return names;
}

bool checkServeName(std::string_view name, std::string& error) {
    std::string_view rest = name;
    if (rest.ends_with('.'))
        rest.remove_suffix(1);
    bool sound = !rest.empty() && rest.size() <= 253;
    while (sound) {
        const auto dot = rest.find('.');
        const std::string_view label = rest.substr(0, dot);
        sound = !label.empty() && label.size() <= 63 && label.front() != '-' &&
                label.back() != '-' && std::all_of(label.begin(), label.end(), [](char c) {
                    return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
                });
        if (dot == std::string_view::npos)
            break;
        rest.remove_prefix(dot + 1);
    }
    if (!sound)
        error = "A name is letters, digits and hyphens in labels joined by dots, as "
                "count.example.org.";
    return sound;
}

} // namespace orvane
