#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace prometheus {
class Exposer;
class Registry;
} // namespace prometheus

namespace kelvo {

// MetricsListen in the [Extensions] section of the configuration file; empty
// when the file or the key is missing, which leaves metrics off.
std::string ReadMetricsListen(const std::filesystem::path& path);

// A MetricsListen value taken apart: a numeric IPv4 address or a bracketed
// IPv6 address, a colon and a port ("127.0.0.1:9464", "[::1]:9464",
// "0.0.0.0:9464"). Port 0 lets the system choose one.
struct ListenAddress {
    std::string host; // without brackets
    int port = 0;
    bool ipv6 = false;
};

// The address, or none with the reason in `problem`.
std::optional<ListenAddress> ParseListenAddress(std::string_view text, std::string& problem);

// GET /metrics of one registry, served by the library's own HTTP server on its
// own threads until the endpoint is destroyed.
class MetricsEndpoint {
public:
    // The endpoint on the address, or none with the reason in `problem` (a bad
    // address, or one that cannot be bound).
    static std::unique_ptr<MetricsEndpoint> Open(std::string_view listen,
                                                 std::shared_ptr<prometheus::Registry> registry,
                                                 std::string& problem);
    ~MetricsEndpoint();
    MetricsEndpoint(const MetricsEndpoint&) = delete;
    MetricsEndpoint& operator=(const MetricsEndpoint&) = delete;

    // The port bound, also when the address asked for port 0.
    int Port() const;

private:
    MetricsEndpoint(std::unique_ptr<prometheus::Exposer> exposer,
                    std::shared_ptr<prometheus::Registry> registry);

    std::unique_ptr<prometheus::Exposer> exposer;
    std::shared_ptr<prometheus::Registry> registry;
};

} // namespace kelvo
