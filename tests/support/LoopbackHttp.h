#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace kelvo::test {

struct HttpAnswer {
    int status = 0;
    std::string body;
};

// One plain HTTP/1.0 GET to 127.0.0.1:port; none when nothing answers before
// the deadline.
std::optional<HttpAnswer> HttpGet(int port, const std::string& target,
                                  std::chrono::milliseconds limit = std::chrono::seconds(10));

// A port on 127.0.0.1 that was free a moment ago (bound at port 0, read back,
// released), for a program that takes its port on its command line.
int FreeLoopbackPort();

// A socket listening on 127.0.0.1 at a port the system chose, held until
// destroyed, so that nothing else can bind that port.
class HeldLoopbackPort {
public:
    HeldLoopbackPort();
    ~HeldLoopbackPort();
    HeldLoopbackPort(const HeldLoopbackPort&) = delete;
    HeldLoopbackPort& operator=(const HeldLoopbackPort&) = delete;
    int Port() const { return port; }

private:
    int descriptor = -1;
    int port = 0;
};

} // namespace kelvo::test
