#include "tests/platform/notify/PrivateSessionBus.h"
#include "tests/support/ReadLineWithin.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

extern char** environ;

namespace kelvo::test {
namespace {

using namespace std::chrono_literals;

std::string ReadLine(int descriptor) {
    return ReadLineWithin(descriptor, 30s);
}

// Starts the program with its output (and input, when asked) on pipes.
pid_t Start(std::vector<std::string> texts, int& output, int* input) {
    int out[2];
    int in[2] = {-1, -1};
    if (pipe2(out, O_CLOEXEC) != 0 || (input != nullptr && pipe2(in, O_CLOEXEC) != 0)) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (input != nullptr) {
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    }
    std::vector<char*> arguments;
    for (std::string& text : texts) {
        arguments.push_back(text.data());
    }
    arguments.push_back(nullptr);
    pid_t process = -1;
    if (posix_spawn(&process, arguments[0], &actions, nullptr, arguments.data(), environ) != 0) {
        process = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    output = out[0];
    if (input != nullptr) {
        close(in[0]);
        *input = in[1];
    }
    return process;
}

} // namespace

PrivateSessionBus::PrivateSessionBus(const std::filesystem::path& record) {
    int output = -1;
    daemon =
        Start({"/usr/bin/dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"},
              output, nullptr);
    if (daemon <= 0) {
        return;
    }
    const std::string bus = ReadLine(output);
    close(output);
    if (bus.empty()) {
        return;
    }
    // Debian's interpreter: the one with the dbus and gi modules.
    server = Start(
        {"/usr/bin/python3", KELVO_NOTIFY_TEST_DIR "/notification_server.py", bus, record.string()},
        output, &serverInput);
    if (server > 0 && ReadLine(output) == "ready") {
        address = bus;
    }
    close(output);
}

PrivateSessionBus::~PrivateSessionBus() {
    if (serverInput >= 0) {
        close(serverInput);
    }
    if (server > 0) {
        waitpid(server, nullptr, 0);
    }
    if (daemon > 0) {
        kill(daemon, SIGTERM);
        waitpid(daemon, nullptr, 0);
    }
}

} // namespace kelvo::test
