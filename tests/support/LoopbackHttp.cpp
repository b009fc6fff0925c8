#include "tests/support/LoopbackHttp.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace kelvo::test {
namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A socket bound to 127.0.0.1 at a port the system chose; -1 on failure.
int BindAnyPort(int& port) {
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (descriptor < 0 ||
        bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(descriptor, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (descriptor >= 0) {
            close(descriptor);
        }
        return -1;
    }
    port = ntohs(address.sin_port);
    return descriptor;
}

} // namespace

std::optional<HttpAnswer> HttpGet(int port, const std::string& target,
                                  std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    auto remaining = [&] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<long long>(0, left.count()));
    };
    const int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (descriptor < 0) {
        return std::nullopt;
    }
    std::optional<HttpAnswer> answer;
    const sockaddr_in address = Loopback(port);
    const bool connecting =
        connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        errno == EINPROGRESS;
    pollfd entry{descriptor, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (connecting && poll(&entry, 1, remaining()) == 1 &&
        getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
        const std::string request =
            "GET " + target + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
        std::string received;
        bool complete = send(descriptor, request.data(), request.size(), MSG_NOSIGNAL) ==
                        static_cast<ssize_t>(request.size());
        while (complete) {
            entry = {descriptor, POLLIN, 0};
            if (poll(&entry, 1, remaining()) != 1) {
                complete = false;
                break;
            }
            char buffer[4096];
            const ssize_t count = recv(descriptor, buffer, sizeof buffer, 0);
            if (count < 0) {
                complete = false;
            }
            if (count <= 0) {
                break;
            }
            received.append(buffer, static_cast<std::size_t>(count));
        }
        const std::size_t headerEnd = received.find("\r\n\r\n");
        if (complete && received.starts_with("HTTP/") && headerEnd != std::string::npos) {
            const std::size_t space = received.find(' ');
            answer =
                HttpAnswer{std::atoi(received.c_str() + space + 1), received.substr(headerEnd + 4)};
        }
    }
    close(descriptor);
    return answer;
}

int FreeLoopbackPort() {
    int port = 0;
    const int descriptor = BindAnyPort(port);
    if (descriptor < 0) {
        return 0;
    }
    close(descriptor);
    return port;
}

HeldLoopbackPort::HeldLoopbackPort() {
    descriptor = BindAnyPort(port);
    if (descriptor >= 0 && listen(descriptor, 1) != 0) {
        close(descriptor);
        descriptor = -1;
        port = 0;
    }
}

HeldLoopbackPort::~HeldLoopbackPort() {
    if (descriptor >= 0) {
        close(descriptor);
    }
}

} // namespace kelvo::test
