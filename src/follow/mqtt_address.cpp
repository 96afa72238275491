#include "follow/mqtt_address.h"

#include "services/mqtt.h"

#include <charconv>
#include <vector>

namespace orvane {

namespace {

constexpr std::string_view Plain = "mqtt://";
constexpr std::string_view Secure = "mqtts://";

} // namespace

std::optional<MqttAddress> parseMqttAddress(std::string_view text, std::string& error) {
    MqttAddress where;
    if (text.starts_with(Plain)) {
        text.remove_prefix(Plain.size());
    } else if (text.starts_with(Secure)) {
        text.remove_prefix(Secure.size());
        where.tls = true;
        where.port = 8883;
    } else {
        error = "The address must begin with mqtt:// or mqtts://.";
        return std::nullopt;
    }
    const auto slash = text.find('/');
    if (slash == std::string_view::npos || slash + 1 == text.size()) {
        error = "The address must end with /TOPIC, the topic to publish or follow.";
        return std::nullopt;
    }
    std::string_view host = text.substr(0, slash);
    const std::string_view topic = text.substr(slash + 1);
    if (host.find_first_of(" @?#") != std::string_view::npos) {
        error = "The host must be a name or an address, with no user name in it (give it with "
                "--mqtt-credentials).";
        return std::nullopt;
    }
    std::string_view portText;
    bool portGiven = false;
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos) {
            error = "An IPv6 address is closed with ].";
            return std::nullopt;
        }
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') {
                error = "Only :PORT may follow the host.";
                return std::nullopt;
            }
            portText = host.substr(close + 2);
            portGiven = true;
        }
        host = host.substr(1, close - 1);
    } else if (const auto colon = host.find(':'); colon != std::string_view::npos) {
        portText = host.substr(colon + 1);
        portGiven = true;
        host = host.substr(0, colon);
        if (portText.find(':') != std::string_view::npos) {
            error = "An IPv6 address is written in brackets, as [::1]:1883.";
            return std::nullopt;
        }
    }
    if (host.empty()) {
        error = "The host is missing.";
        return std::nullopt;
    }
    if (portGiven) {
        int port = 0;
        const auto [end, ec] =
            std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (portText.empty() || ec != std::errc{} || end != portText.data() + portText.size() ||
            port < 1 || port > 65535) {
            error = "The port must be a number from 1 to 65535.";
            return std::nullopt;
        }
        where.port = port;
    }
    if (topic.find_first_of("+#") != std::string_view::npos || topic.starts_with('$') ||
        topic.find('\0') != std::string_view::npos) {
        error = "The topic must not hold + or #, nor begin with $.";
        return std::nullopt;
    }
    // The happenings. topic adds its name to it, and MQTT allows a topic of 65,535 bytes.
    if (topic.size() + std::string_view("/happenings").size() > MqttTopicLimit) {
        error = "The topic can be at most 65,524 bytes long, as MQTT allows.";
        return std::nullopt;
    }
    where.host = std::string(host);
    where.topic = std::string(topic);
    return where;
}

std::optional<MqttCredentials> parseMqttCredentials(std::string_view content, std::string& error) {
    std::vector<std::string_view> lines;
    while (!content.empty() && lines.size() < 3) {
        const auto end = content.find('\n');
        std::string_view line = content.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (lines.size() != 2 || !content.empty() || lines[0].empty()) {
        error = "it must hold two lines: the user name, then the password";
        return std::nullopt;
    }
    return MqttCredentials{std::string(lines[0]), std::string(lines[1])};
}

} // namespace orvane
