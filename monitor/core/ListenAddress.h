#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// A metrics address taken apart: a numeric IPv4 address or a bracketed IPv6
// address, a colon and a port ("127.0.0.1:9464", "[::1]:9464",
// "0.0.0.0:9464"). Port 0 lets the system choose one.
struct ListenAddress {
    std::string host; // without brackets
    int port = 0;
    bool ipv6 = false;
};

// The address, or none with the reason in `problem`. An IPv6 address is
// refused where the metrics' HTTP server (civetweb) was built without IPv6,
// as Debian 12 builds it, so that the refusal comes when the value is typed
// and not only when the monitor starts.
std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string& problem);

} // namespace kelvo
