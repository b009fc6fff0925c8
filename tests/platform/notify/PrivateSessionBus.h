#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace kelvo::test {

// A session bus of the test's own (dbus-daemon), with a notification server
// on it (notification_server.py) that records each call in a file.
class PrivateSessionBus {
public:
    explicit PrivateSessionBus(const std::filesystem::path& record);
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when the bus or the server did not come up.
    const std::string& Address() const { return address; }

private:
    pid_t daemon = -1;
    pid_t server = -1;
    int serverInput = -1;
    std::string address;
};

} // namespace kelvo::test
