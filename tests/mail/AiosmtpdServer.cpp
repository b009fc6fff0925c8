#include "tests/mail/AiosmtpdServer.h"
#include "tests/support/ReadLineWithin.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <vector>

extern char** environ;

namespace kelvo::test {
namespace {

using namespace std::chrono_literals;

// The server prints "port N" once it listens.
int ReadPort(int descriptor) {
    int port = 0;
    std::istringstream(ReadLineWithin(descriptor, 90s)).ignore(5) >> port; // after "port "
    return port;
}

} // namespace

AiosmtpdServer::AiosmtpdServer(const std::filesystem::path& out, const std::string& user,
                               const std::string& password, const std::string& host, int fixedPort,
                               const AiosmtpdSecurity& security) {
    int input[2];
    int output[2];
    if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    const std::string script = KELVO_MAIL_TEST_DIR "/smtp_test_server.py";
    // Debian's interpreter: the one that has aiosmtpd, whatever comes first on PATH.
    const char* python = "/usr/bin/python3";
    std::vector<std::string> texts = {python,
                                      script,
                                      out.string(),
                                      user,
                                      password,
                                      host,
                                      std::to_string(fixedPort),
                                      security.mode,
                                      security.certificate.string(),
                                      security.key.string()};
    std::vector<char*> arguments;
    for (std::string& text : texts) {
        arguments.push_back(text.data());
    }
    arguments.push_back(nullptr);
    const int spawned = posix_spawn(&process, python, &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    stdinOfServer = input[1];
    if (spawned != 0) {
        process = -1;
        close(output[0]);
        return;
    }
    port = ReadPort(output[0]);
    close(output[0]);
}

AiosmtpdServer::~AiosmtpdServer() {
    if (stdinOfServer >= 0) {
        close(stdinOfServer);
    }
    if (process > 0) {
        int status = 0;
        waitpid(process, &status, 0);
    }
}

} // namespace kelvo::test
