#pragma once

#include "monitor/core/ListenAddress.h"

#include <memory>
#include <string>
#include <string_view>

namespace prometheus {
class Exposer;
class Registry;
} // namespace prometheus

namespace kelvo {

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
