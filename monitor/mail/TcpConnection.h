#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvo {

// One IPv4 TCP connection whose every wait is bounded, so that a silent or stuck
// server cannot hold the caller for ever.
class TcpConnection {
public:
    using Clock = std::chrono::steady_clock;

    enum class Received { Bytes, Closed, TimedOut };

    TcpConnection() = default;
    ~TcpConnection();
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    // Looks the host up (host name or dotted address), takes the first IPv4
    // address and connects to it within the time-out.
    bool Open(const std::string& host, int port, std::chrono::milliseconds timeout);

    // Hands over all the bytes within the time-out.
    bool SendAll(std::string_view bytes, std::chrono::milliseconds timeout);

    // Appends what arrives next, at most `most` bytes, waiting until the deadline.
    Received Receive(std::string& into, std::size_t most, Clock::time_point deadline);

    // Open and not known to be closed by the peer or broken.
    bool Stands() const { return descriptor >= 0 && !broken; }
    bool IsOpen() const { return descriptor >= 0; }

    // Shuts the connection down both ways and closes it. Safe to call again.
    void Close();

private:
    // Waits until the socket is ready for `events` or the deadline passes.
    bool WaitFor(short events, Clock::time_point deadline);

    int descriptor = -1;
    bool broken = false;
};

} // namespace kelvo
