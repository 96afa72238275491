#include "remote/remote_access.h"

#include <gtest/gtest.h>

namespace orvane::test {
namespace {

const std::vector<std::string> names = servedNames("deck.lab.example", {"count.example.org"});

// A page on another site that has its own name point at this computer names that site in
// every request: only the names of this computer, and addresses, are answered.
TEST(RemoteAccessTest, RequestsAreAnsweredOnlyForThisComputersNamesAndAddresses) {
    struct Case {
        const char* host;
        HostVerdict verdict;
    };
    const Case cases[] = {
        {"127.0.0.1", HostVerdict::Answered},
        {"192.168.1.20:8080", HostVerdict::Answered},
        {"[::1]:8080", HostVerdict::Answered},
        {"[fe80::1]", HostVerdict::Answered},
        {"localhost:8080", HostVerdict::Answered},
        {"LocalHost", HostVerdict::Answered},
        {"deck.lab.example", HostVerdict::Answered},
        {"deck.local:80", HostVerdict::Answered},
        {"count.example.org", HostVerdict::Answered},
        {"COUNT.example.org.:443", HostVerdict::Answered},
        {"", HostVerdict::Answered}, // HTTP/1.0 without a Host: a program, not a browser
        {"attacker.example", HostVerdict::Misdirected},
        {"attacker.example:8080", HostVerdict::Misdirected},
        {"localhost.attacker.example", HostVerdict::Misdirected},
        {"127.0.0.1.attacker.example", HostVerdict::Misdirected},
        {"deck", HostVerdict::Misdirected},
        {"127.0.0.1:99999", HostVerdict::Malformed},
        {"127.0.0.1:80x", HostVerdict::Malformed},
        {"::1", HostVerdict::Malformed},
        {"[::1", HostVerdict::Malformed},
        {"[nonsense]", HostVerdict::Malformed},
        {"a b", HostVerdict::Malformed},
        {"user@localhost", HostVerdict::Malformed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(judgeHost(c.host, names), c.verdict) << c.host;
}

// Only the server's own page may open the WebSocket: its origin's host and port are the Host.
TEST(RemoteAccessTest, AWebSocketIsOpenedOnlyByThePageOfTheSameHostAndPort) {
    struct Case {
        const char* origin;
        const char* host;
        bool matches;
    };
    const Case cases[] = {
        {"http://127.0.0.1:8080", "127.0.0.1:8080", true},
        {"http://LOCALHOST:8080", "localhost:8080", true},
        {"http://[::1]:8080", "[::1]:8080", true},
        {"https://count.example.org", "count.example.org", true},
        {"https://count.example.org:443", "count.example.org", true},
        {"http://count.example.org", "count.example.org:80", true},
        {"http://attacker.example", "127.0.0.1:8080", false},
        {"http://127.0.0.1:9090", "127.0.0.1:8080", false},
        {"http://127.0.0.1", "127.0.0.1:8080", false},
        {"https://count.example.org:8443", "count.example.org", false},
        {"http://localhost:8080", "127.0.0.1:8080", false},
        {"null", "127.0.0.1:8080", false},
        {"file://", "127.0.0.1:8080", false},
        {"ftp://127.0.0.1:8080", "127.0.0.1:8080", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(originMatchesHost(c.origin, c.host), c.matches) << c.origin << " " << c.host;
}

TEST(RemoteAccessTest, ServeNamesAreHostNames) {
    std::string error;
    for (const char* good : {"count.example.org", "deck", "count.example.org.", "a-1.b2"})
        EXPECT_TRUE(checkServeName(good, error)) << good;
    for (const char* bad : {"", ".", "count..example", "-deck", "deck-", "deck:8080", "http://deck",
                            "de ck", "*.example.org"}) {
        error.clear();
        EXPECT_FALSE(checkServeName(bad, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace orvane::test
