#include "tests/mail/ScriptedSmtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace kelvo::test {
namespace {

using namespace std::chrono_literals;

// Bounds every wait, so that a client that never answers fails the test
// instead of hanging it.
constexpr auto patience = 10s;
// Long enough for the client to take the first piece on its own.
constexpr auto pieceGap = 50ms;

bool WaitReadable(int descriptor) {
    pollfd entry{descriptor, POLLIN, 0};
    return poll(&entry, 1, static_cast<int>(std::chrono::milliseconds(patience).count())) > 0;
}

} // namespace

ScriptedSmtpServer::ScriptedSmtpServer(std::vector<ScriptStep> script, bool hangUpAfterScript)
    : script(std::move(script)), hangUpAfterScript(hangUpAfterScript) {
    listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listener < 0 ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on the loopback interface");
    }
    port = ntohs(address.sin_port);
    thread = std::thread([this] { Serve(); });
}

ScriptedSmtpServer::~ScriptedSmtpServer() {
    Finish();
    close(listener);
}

const std::string& ScriptedSmtpServer::Received() {
    Finish();
    return received;
}

bool ScriptedSmtpServer::ClientHungUp() {
    Finish();
    return clientHungUp;
}

void ScriptedSmtpServer::Finish() {
    if (thread.joinable()) {
        thread.join();
    }
}

void ScriptedSmtpServer::Serve() {
    if (!WaitReadable(listener)) {
        return;
    }
    connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
        return;
    }
    bool talking = true;
    for (const ScriptStep& step : script) {
        const std::size_t turnStart = received.size();
        while (talking && !step.awaits.empty() &&
               !(received.size() > turnStart && received.ends_with(step.awaits))) {
            talking = ReadMore();
        }
        if (!talking) {
            break;
        }
        for (std::size_t index = 0; index < step.pieces.size(); ++index) {
            if (index > 0) {
                std::this_thread::sleep_for(pieceGap);
            }
            send(connection, step.pieces[index].data(), step.pieces[index].size(), MSG_NOSIGNAL);
        }
    }
    if (!hangUpAfterScript) {
        while (talking) {
            talking = ReadMore();
        }
    }
    close(connection);
}

bool ScriptedSmtpServer::ReadMore() {
    if (!WaitReadable(connection)) {
        return false;
    }
    char buffer[4096];
    const ssize_t count = recv(connection, buffer, sizeof buffer, 0);
    if (count <= 0) {
        clientHungUp = true;
        return false;
    }
    received.append(buffer, static_cast<std::size_t>(count));
    return true;
}

} // namespace kelvo::test
