#include "monitor/core/ListenAddress.h"

#include <civetweb.h>

#include <arpa/inet.h>
#include <charconv>
#include <netinet/in.h>

namespace kelvo {
namespace {

// The feature bit by which civetweb tells whether it was built with IPv6.
constexpr unsigned serverIpv6Feature = 8;

bool IsNumericAddress(const std::string& host, bool ipv6) {
    in6_addr address{};
    return inet_pton(ipv6 ? AF_INET6 : AF_INET, host.c_str(), &address) == 1;
}

} // namespace

std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string& problem) {
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        problem = "no port after a colon";
        return std::nullopt;
    }
    ListenAddress address;
    std::string_view host = text.substr(0, colon);
    const std::string_view port = text.substr(colon + 1);
    if (host.starts_with('[') && host.ends_with(']') && host.size() >= 2) {
        host = host.substr(1, host.size() - 2);
        address.ipv6 = true;
    }
    address.host = std::string(host);
    if (!IsNumericAddress(address.host, address.ipv6)) {
        problem = address.ipv6 ? "not an IPv6 address in brackets"
                               : "not a numeric IPv4 address or an IPv6 address in brackets";
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), address.port);
    if (port.empty() || error != std::errc{} || end != port.data() + port.size() ||
        address.port < 0 || address.port > 65535) {
        problem = "not a port from 0 to 65535";
        return std::nullopt;
    }
    if (address.ipv6 && mg_check_feature(serverIpv6Feature) == 0) {
        problem = "an IPv6 address, which this build's metrics server cannot serve: civetweb "
                  "was built without IPv6, so take 127.0.0.1 or 0.0.0.0";
        return std::nullopt;
    }
    return address;
}

} // namespace kelvo
