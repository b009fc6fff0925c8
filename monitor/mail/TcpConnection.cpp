#include "monitor/mail/TcpConnection.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace kelvo {
namespace {

bool LookUp(const std::string& host, in_addr& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) {
        return false;
    }
    const bool any = found != nullptr && found->ai_addr != nullptr;
    if (any) {
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    }
    freeaddrinfo(found);
    return any;
}

} // namespace

TcpConnection::~TcpConnection() {
    Close();
}

bool TcpConnection::Open(const std::string& host, int port, std::chrono::milliseconds timeout) {
    Close();
    problem.clear();
    if (port < 1 || port > 65535) {
        return false;
    }
    in_addr address{};
    if (!LookUp(host, address)) {
        return false;
    }
    // Non-blocking throughout: every wait goes through poll with a deadline.
    descriptor = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return false;
    }
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(port));
    server.sin_addr = address;
    if (connect(descriptor, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
        int error = errno;
        if (error == EINPROGRESS) {
            socklen_t length = sizeof error;
            if (!WaitFor(POLLOUT, Clock::now() + timeout) ||
                getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
                error = ETIMEDOUT;
            }
        }
        if (error != 0) {
            Close();
            return false;
        }
    }
    return true;
}

bool TcpConnection::StartTls(const std::string& host, const std::string& caFile,
                             std::chrono::milliseconds timeout) {
    if (!Stands() || tls) {
        return false;
    }
    std::unique_ptr<TlsChannel> channel = NewTlsChannel();
    const auto deadline = Clock::now() + timeout;
    bool done = channel->Begin(descriptor, host, caFile);
    while (done) {
        const TlsChannel::Step step = channel->Handshake();
        if (step == TlsChannel::Step::Done) {
            break;
        }
        if (step == TlsChannel::Step::Failed) {
            done = false;
        } else if (!WaitForStep(step, deadline)) {
            problem = "the TLS handshake timed out";
            Close();
            return false;
        }
    }
    if (!done) {
        problem = channel->Problem();
        Close();
        return false;
    }
    tls = std::move(channel);
    return true;
}

bool TcpConnection::WaitForStep(TlsChannel::Step step, Clock::time_point deadline) {
    return WaitFor(step == TlsChannel::Step::WantWrite ? POLLOUT : POLLIN, deadline);
}

bool TcpConnection::SendAll(std::string_view bytes, std::chrono::milliseconds timeout) {
    if (!Stands()) {
        return false;
    }
    const auto deadline = Clock::now() + timeout;
    while (tls && !bytes.empty()) {
        std::size_t written = 0;
        const TlsChannel::Step step = tls->Write(bytes, written);
        if (step == TlsChannel::Step::Done) {
            bytes.remove_prefix(written);
        } else if (step == TlsChannel::Step::Failed) {
            problem = tls->Problem();
            broken = true;
            return false;
        } else if (!WaitForStep(step, deadline)) {
            return false;
        }
    }
    while (!bytes.empty()) {
        // MSG_NOSIGNAL: a server that hung up must give an error, not end the program.
        const ssize_t sent = send(descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        const int error = errno;
        if (error == EINTR) {
            continue;
        }
        if (error == EAGAIN || error == EWOULDBLOCK) {
            if (WaitFor(POLLOUT, deadline)) {
                continue;
            }
            return false;
        }
        broken = true;
        return false;
    }
    return true;
}

TcpConnection::Received TcpConnection::Receive(std::string& into, std::size_t most,
                                               Clock::time_point deadline) {
    if (!Stands()) {
        return Received::Closed;
    }
    const std::size_t before = into.size();
    into.resize(before + most);
    while (tls) {
        std::size_t count = 0;
        const TlsChannel::Step step = tls->Read(into.data() + before, most, count);
        if (step == TlsChannel::Step::Done && count > 0) {
            into.resize(before + count);
            return Received::Bytes;
        }
        if (step == TlsChannel::Step::Done || step == TlsChannel::Step::Failed) {
            if (step == TlsChannel::Step::Failed) {
                problem = tls->Problem();
            }
            into.resize(before);
            broken = true;
            return Received::Closed;
        }
        if (!WaitForStep(step, deadline)) {
            into.resize(before);
            return Received::TimedOut;
        }
    }
    for (;;) {
        const ssize_t count = recv(descriptor, into.data() + before, most, 0);
        if (count > 0) {
            into.resize(before + static_cast<std::size_t>(count));
            return Received::Bytes;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (WaitFor(POLLIN, deadline)) {
                continue;
            }
            into.resize(before);
            return Received::TimedOut;
        }
        into.resize(before);
        broken = true;
        return Received::Closed;
    }
}

bool TcpConnection::WaitFor(short events, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            return false;
        }
        pollfd entry{descriptor, events, 0};
        const int ready = poll(&entry, 1, static_cast<int>(std::min<long long>(left, 60000)));
        if (ready > 0) {
            // Errors and hang-ups count as ready: the next call reports them.
            return true;
        }
        if (ready < 0 && errno != EINTR) {
            return false;
        }
    }
}

void TcpConnection::Close() {
    // The TLS goodbye goes out before the socket is shut.
    tls.reset();
    if (descriptor >= 0) {
        shutdown(descriptor, SHUT_RDWR);
        close(descriptor);
    }
    descriptor = -1;
    broken = false;
}

} // namespace kelvo
