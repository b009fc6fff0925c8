#include "monitor/core/ListenAddress.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(ListenAddress, TakesNumericAddressesWithAPortAndRefusesTheRest) {
    struct Case {
        std::string text;
        bool good;
        std::string host;
        int port;
        bool ipv6;
    };
    for (const Case& c : {
             Case{"127.0.0.1:9464", true, "127.0.0.1", 9464, false},
             Case{"0.0.0.0:9464", true, "0.0.0.0", 9464, false},
             Case{"[::1]:9464", true, "::1", 9464, true},
             Case{"[::]:0", true, "::", 0, true},
             Case{"127.0.0.1", false, "", 0, false},
             Case{"127.0.0.1:", false, "", 0, false},
             Case{"127.0.0.1:65536", false, "", 0, false},
             Case{"127.0.0.1:-1", false, "", 0, false},
             Case{"127.0.0.1:94x", false, "", 0, false},
             Case{"::1:9464", false, "", 0, false},
             Case{"[127.0.0.1]:9464", false, "", 0, false},
             Case{"[::1]:70000", false, "", 0, false},
             Case{"localhost:9464", false, "", 0, false},
             Case{":9464", false, "", 0, false},
         }) {
        std::string problem;
        const std::optional<ListenAddress> address = ParseListenAddress(c.text, problem);
        // A good IPv6 address is served only where the metrics' HTTP server
        // was built with IPv6; elsewhere it is refused, with that reason.
        if (c.good && c.ipv6 && !address) {
            EXPECT_THAT(problem, ::testing::HasSubstr("IPv6")) << c.text;
            continue;
        }
        ASSERT_EQ(address.has_value(), c.good) << c.text;
        if (address) {
            EXPECT_EQ(address->host, c.host) << c.text;
            EXPECT_EQ(address->port, c.port) << c.text;
            EXPECT_EQ(address->ipv6, c.ipv6) << c.text;
        } else {
            EXPECT_FALSE(problem.empty()) << c.text;
        }
    }
}

} // namespace
} // namespace kelvo
