#pragma once

#include "monitor/mail/TlsChannel.h"

#include <chrono>
#include <cstddef>
#include <memory>
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

    // Turns the open connection into TLS: a handshake within the time-out that
    // verifies the server's certificate for host against caFile (PEM; empty:
    // the system's trust store). From then on every byte goes through TLS.
    // False, with the reason in Problem(), when it fails; the connection is
    // then closed.
    bool StartTls(const std::string& host, const std::string& caFile,
                  std::chrono::milliseconds timeout);
    bool Secured() const { return tls != nullptr; }
    // Why the last TLS step failed.
    const std::string& Problem() const { return problem; }

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

    // Waits as a TLS step asks; false when the deadline passes first.
    bool WaitForStep(TlsChannel::Step step, Clock::time_point deadline);

    int descriptor = -1;
    bool broken = false;
    std::unique_ptr<TlsChannel> tls;
    std::string problem;
};

} // namespace kelvo
