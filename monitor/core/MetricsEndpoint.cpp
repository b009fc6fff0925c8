#include "monitor/core/MetricsEndpoint.h"

#include "platform/ini/IniFile.h"

#include <civetweb.h>
#include <prometheus/exposer.h>
#include <prometheus/registry.h>

#include <arpa/inet.h>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <exception>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kelvo {
namespace {

// Two threads: a scrape is served while another connection lingers.
constexpr std::size_t serverThreads = 2;

// The feature bit by which the exposer's HTTP server (civetweb) tells whether
// it was built with IPv6; Debian 12 builds it without.
constexpr unsigned serverIpv6Feature = 8;

bool IsNumericAddress(const std::string& host, bool ipv6) {
    in6_addr address{};
    return inet_pton(ipv6 ? AF_INET6 : AF_INET, host.c_str(), &address) == 1;
}

// Why the HTTP server could not take the address: its own message says only
// that it failed, so a plain bind of the same address asks the system.
std::string BindProblem(const ListenAddress& address, const std::string& serverMessage) {
    const int family = address.ipv6 ? AF_INET6 : AF_INET;
    const int probe = socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return std::strerror(errno);
    }
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (address.ipv6) {
        auto& ipv6 = reinterpret_cast<sockaddr_in6&>(storage);
        ipv6.sin6_family = AF_INET6;
        ipv6.sin6_port = htons(static_cast<std::uint16_t>(address.port));
        inet_pton(AF_INET6, address.host.c_str(), &ipv6.sin6_addr);
        length = sizeof ipv6;
    } else {
        auto& ipv4 = reinterpret_cast<sockaddr_in&>(storage);
        ipv4.sin_family = AF_INET;
        ipv4.sin_port = htons(static_cast<std::uint16_t>(address.port));
        inet_pton(AF_INET, address.host.c_str(), &ipv4.sin_addr);
        length = sizeof ipv4;
    }
    const int one = 1;
    setsockopt(probe, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    std::string problem = serverMessage;
    if (bind(probe, reinterpret_cast<const sockaddr*>(&storage), length) != 0) {
        problem = std::strerror(errno);
    }
    close(probe);
    return problem;
}

} // namespace

std::string ReadMetricsListen(const std::filesystem::path& path) {
    IniFile file;
    file.Load(path);
    return file.GetString("Extensions", "MetricsListen", "");
}

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
    return address;
}

std::unique_ptr<MetricsEndpoint>
MetricsEndpoint::Open(std::string_view listen, std::shared_ptr<prometheus::Registry> registry,
                      std::string& problem) {
    const std::optional<ListenAddress> address = ParseListenAddress(listen, problem);
    if (!address) {
        return nullptr;
    }
    if (address->ipv6 && mg_check_feature(serverIpv6Feature) == 0) {
        problem = "is an IPv6 address, which this build's HTTP server (civetweb without IPv6) "
                  "cannot serve; use 127.0.0.1 or 0.0.0.0 with the port";
        return nullptr;
    }
    // The HTTP server's own form of the address, with the IPv6 brackets kept.
    const std::string bind = (address->ipv6 ? "[" + address->host + "]" : address->host) + ":" +
                             std::to_string(address->port);
    std::unique_ptr<prometheus::Exposer> exposer;
    try {
        exposer = std::make_unique<prometheus::Exposer>(bind, serverThreads);
    } catch (const std::exception& error) {
        problem = "cannot be bound (" + BindProblem(*address, error.what()) + ")";
        return nullptr;
    }
    exposer->RegisterCollectable(registry);
    return std::unique_ptr<MetricsEndpoint>(new MetricsEndpoint(std::move(exposer), registry));
}

MetricsEndpoint::MetricsEndpoint(std::unique_ptr<prometheus::Exposer> exposer,
                                 std::shared_ptr<prometheus::Registry> registry)
    : exposer(std::move(exposer)), registry(std::move(registry)) {}

MetricsEndpoint::~MetricsEndpoint() = default;

int MetricsEndpoint::Port() const {
    const std::vector<int> ports = exposer->GetListeningPorts();
    return ports.empty() ? 0 : ports.front();
}

} // namespace kelvo
