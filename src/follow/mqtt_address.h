#pragma once

// Where a leader publishes and its followers listen: mqtt://HOST[:PORT]/TOPIC, or mqtts:// for
// a connection over TLS; and the user name and password a broker may ask for, read from a
// file so that they never stand on a command line.

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

struct MqttAddress {
    bool tls = false;
    std::string host; // without the brackets of an IPv6 address
    int port = 1883;
    std::string topic;

    // "HOST:PORT/TOPIC", as the status bar names what a follower follows: two brokers on one
    // computer differ only by their ports.
    std::string shown() const {
        const std::string h = host.find(':') == std::string::npos ? host : "[" + host + "]";
        return h + ":" + std::to_string(port) + "/" + topic;
    }
    // The happenings go out beside the state, under it.
    std::string happeningsTopic() const { return topic + "/happenings"; }
    // Followers say they are there under it, which also measures their way to the broker.
    std::string followersTopic() const { return topic + "/followers"; }
};

// Empty, with the reason in ERROR (a sentence), when the text is not such an address.
std::optional<MqttAddress> parseMqttAddress(std::string_view text, std::string& error);

struct MqttCredentials {
    std::string user;
    std::string password;
};

// A credentials file: the user name on its first line, the password on its second (a line end
// of CR LF is read too). Empty, with the reason in ERROR, otherwise; the reason never repeats
// the file's content.
std::optional<MqttCredentials> parseMqttCredentials(std::string_view content, std::string& error);

} // namespace orvane
