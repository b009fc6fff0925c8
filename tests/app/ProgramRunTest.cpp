// The monitor as a process: started offscreen in an empty folder, told to stop.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// True once the process has installed its own SIGTERM handler.
bool CatchesTermination(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
            return (caught & (1ULL << (SIGTERM - 1))) != 0;
        }
    }
    return false;
}

// Waits for the child to end; -1 when it is still running at the deadline.
int WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(10ms);
    }
    return -1;
}

TEST(ProgramRun, TerminationEndsTheMonitorWithExitCodeZero) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("kelvomon-run-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(127);
        }
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // One simulated thermometer, whatever the caller's environment and
        // the machine's devices are.
        ::setenv("KELVOMON_SIMULATE", "1", 1);
        ::unsetenv("KELVOMON_SIM_TEMPS");
        ::execl(KELVOMON_PATH, KELVOMON_PATH, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!CatchesTermination(pid) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(CatchesTermination(pid)) << "the monitor did not start";
    ::kill(pid, SIGTERM);
    const int exitCode = WaitForExit(pid, 30s);
    if (exitCode == -1) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    EXPECT_EQ(exitCode, 0);
    std::filesystem::remove_all(folder);
}

} // namespace
