#include "monitor/core/MetricsEndpoint.h"

#include <prometheus/exposer.h>
#include <prometheus/registry.h>

#include <arpa/inet.h>
#include <cerrno>
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

std::unique_ptr<MetricsEndpoint>
MetricsEndpoint::Open(std::string_view listen, std::shared_ptr<prometheus::Registry> registry,
                      std::string& problem) {
    const std::optional<ListenAddress> address = ParseListenAddress(listen, problem);
    if (!address) {
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
