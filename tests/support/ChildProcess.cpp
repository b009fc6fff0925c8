#include "tests/support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kelvo::test {

using namespace std::chrono_literals;

ChildProcess::ChildProcess(std::vector<std::string> arguments, const std::filesystem::path& folder,
                           const Variables& variables, const std::filesystem::path& log,
                           bool folderGone) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!variables.contains(text.substr(0, text.find('=')))) {
            environment.push_back(text);
        }
    }
    for (const auto& [name, value] : variables) {
        if (value) {
            environment.push_back(name + "=" + *value);
        }
    }
    // Everything the child needs is made before the fork.
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    int logFile = -1;
    int outputEnds[2] = {-1, -1};
    int inputEnds[2] = {-1, -1};
    if (!log.empty()) {
        logFile = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (logFile < 0) {
            return;
        }
    } else if (::pipe2(outputEnds, O_CLOEXEC) != 0 || ::pipe2(inputEnds, O_CLOEXEC) != 0) {
        return;
    }
    pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const bool redirected = logFile >= 0 ? ::dup2(logFile, STDOUT_FILENO) >= 0 &&
                                                   ::dup2(logFile, STDERR_FILENO) >= 0
                                             : ::dup2(outputEnds[1], STDOUT_FILENO) >= 0 &&
                                                   ::dup2(inputEnds[0], STDIN_FILENO) >= 0;
        if (::chdir(folder.c_str()) != 0 || (folderGone && ::rmdir(folder.c_str()) != 0) ||
            !redirected) {
            ::_exit(127);
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (logFile >= 0) {
        ::close(logFile);
    } else {
        ::close(outputEnds[1]);
        ::close(inputEnds[0]);
        outputPipe = outputEnds[0];
        inputPipe = inputEnds[1];
    }
}

ChildProcess::~ChildProcess() {
    Stop();
    CloseInput();
    if (outputPipe >= 0) {
        ::close(outputPipe);
    }
}

bool ChildProcess::Reaped(int options) {
    if (ended) {
        return true;
    }
    int status = 0;
    if (pid <= 0 || ::waitpid(pid, &status, options) != pid) {
        return false;
    }
    ended = true;
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

bool ChildProcess::Running() {
    return Started() && !Reaped(WNOHANG);
}

bool ChildProcess::WaitUntilCatching(int signalNumber) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(deadlineSeconds);
    while (std::chrono::steady_clock::now() < end) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("SigCgt:", 0) == 0 &&
                (std::stoull(line.substr(7), nullptr, 16) & (1ULL << (signalNumber - 1)))) {
                return true;
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

bool ChildProcess::WaitForLine(const std::string& wanted) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(deadlineSeconds);
    for (;;) {
        for (std::size_t newline; (newline = output.find('\n')) != std::string::npos;) {
            const std::string line = output.substr(0, newline);
            output.erase(0, newline + 1);
            if (line == wanted) {
                return true;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd ready{outputPipe, POLLIN, 0};
        if (outputPipe < 0 || left.count() <= 0 ||
            ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char buffer[256];
        const ssize_t count = ::read(outputPipe, buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        output.append(buffer, static_cast<std::size_t>(count));
    }
}

void ChildProcess::Signal(int signalNumber) const {
    if (Started() && !ended) {
        ::kill(pid, signalNumber);
    }
}

void ChildProcess::CloseInput() {
    if (inputPipe >= 0) {
        ::close(inputPipe);
        inputPipe = -1;
    }
}

int ChildProcess::WaitForExit() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(deadlineSeconds);
    while (std::chrono::steady_clock::now() < end) {
        if (!Started() || Reaped(WNOHANG)) {
            return exitCode;
        }
        std::this_thread::sleep_for(10ms);
    }
    return -1;
}

int ChildProcess::Stop() {
    if (!Started() || Reaped(WNOHANG)) {
        return exitCode;
    }
    ::kill(pid, SIGTERM);
    if (const int code = WaitForExit(); code != -1 || ended) {
        return code;
    }
    ::kill(pid, SIGKILL);
    Reaped(0);
    return -1;
}

} // namespace kelvo::test
