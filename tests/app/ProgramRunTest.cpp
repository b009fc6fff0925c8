// The monitor as a process: started offscreen in a folder of its own, told to stop.
#include "tests/platform/ini/TemporaryDirectory.h"
#include "tests/platform/sound/AlsaCapture.h"
#include "tests/platform/sound/WaveBytes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;
using kelvo::testing::TemporaryDirectory;

constexpr auto deadline = 30s;

// A program run as a child in folder, offscreen, with its output and input on
// pipes. Variables given without a value are removed from its environment, as
// KELVOMON_SIM_TEMPS always is, so that the caller's cannot steer it. With
// folderGone, the folder is removed once the child is in it.
class Child {
public:
    Child(const char* program, const std::filesystem::path& folder,
          const std::map<std::string, std::optional<std::string>>& variables,
          bool folderGone = false) {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            const std::string name = text.substr(0, text.find('='));
            if (!variables.contains(name) && name != "KELVOMON_SIM_TEMPS") {
                environment.push_back(text);
            }
        }
        environment.push_back("QT_QPA_PLATFORM=offscreen");
        for (const auto& [name, value] : variables) {
            if (value) {
                environment.push_back(name + "=" + *value);
            }
        }
        std::vector<char*> pointers;
        for (std::string& text : environment) {
            pointers.push_back(text.data());
        }
        pointers.push_back(nullptr);

        int output[2] = {-1, -1};
        int input[2] = {-1, -1};
        if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(input, O_CLOEXEC) != 0) {
            return;
        }
        pid = ::fork();
        if (pid == 0) {
            // Only async-signal-safe calls between fork and exec.
            if (::chdir(folder.c_str()) != 0 || (folderGone && ::rmdir(folder.c_str()) != 0) ||
                ::dup2(output[1], STDOUT_FILENO) < 0 || ::dup2(input[0], STDIN_FILENO) < 0) {
                ::_exit(127);
            }
            char* arguments[] = {const_cast<char*>(program), nullptr};
            ::execve(program, arguments, pointers.data());
            ::_exit(127);
        }
        ::close(output[1]);
        ::close(input[0]);
        outputPipe = output[0];
        inputPipe = input[1];
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (pid > 0 && !ended) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        CloseInput();
        if (outputPipe >= 0) {
            ::close(outputPipe);
        }
    }

    bool Started() const { return pid > 0; }

    // True once the process has installed its own handler for the signal.
    bool WaitUntilCatching(int signalNumber) const {
        const auto end = std::chrono::steady_clock::now() + deadline;
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

    // True once the child has printed this line.
    bool WaitForLine(const std::string& wanted) {
        const auto end = std::chrono::steady_clock::now() + deadline;
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
            if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
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

    void Signal(int signalNumber) const { ::kill(pid, signalNumber); }

    void CloseInput() {
        if (inputPipe >= 0) {
            ::close(inputPipe);
            inputPipe = -1;
        }
    }

    // The exit code, 128 + the signal that ended it, or -1 when still running at the deadline.
    int WaitForExit() {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                ended = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

private:
    pid_t pid = -1;
    bool ended = false;
    int outputPipe = -1;
    int inputPipe = -1;
    std::string output;
};

// What closing the window writes with a thermometer listed.
bool SavedAsOnClose(const std::filesystem::path& folder) {
    const std::string text = TemporaryDirectory::ReadFile(folder / "Config.ini");
    return text.starts_with("[ConfigInfo]\n") && text.find("\nTSCT=0\n") != std::string::npos;
}

class SignalRun : public ::testing::TestWithParam<int> {};

TEST_P(SignalRun, EndsTheMonitorWithExitCodeZeroAfterSavingAsClosingDoes) {
    TemporaryDirectory folder;
    Child monitor(KELVOMON_PATH, folder.Path(), {{"KELVOMON_SIMULATE", "1"}});
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitUntilCatching(GetParam())) << "the monitor did not start";
    monitor.Signal(GetParam());
    EXPECT_EQ(monitor.WaitForExit(), 0);
    EXPECT_TRUE(SavedAsOnClose(folder.Path()));
}

INSTANTIATE_TEST_SUITE_P(TerminationSignals, SignalRun, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

class ModalRun : public ::testing::TestWithParam<const char*> {};

TEST_P(ModalRun, ATerminationEndsTheOpenBoxAndTheMonitorAfterSavingAsClosingDoes) {
    TemporaryDirectory folder;
    Child monitor(SCRIPTED_MONITOR_PATH, folder.Path(),
                  {{"KELVOMON_SIMULATE", "1"}, {"KELVO_SCRIPT", GetParam()}});
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitForLine("open")) << "the box did not open";
    monitor.Signal(SIGTERM);
    EXPECT_TRUE(monitor.WaitForLine("ended")) << "the box held the monitor";
    monitor.CloseInput();
    EXPECT_EQ(monitor.WaitForExit(), 0);
    EXPECT_TRUE(SavedAsOnClose(folder.Path()));
}

INSTANTIATE_TEST_SUITE_P(Boxes, ModalRun, ::testing::Values("about", "message", "folder"),
                         [](const auto& info) { return std::string(info.param); });

TEST(ProgramRun, FurtherSignalsChangeNothingOnceTheCloseIsUnderWay) {
    TemporaryDirectory folder;
    Child monitor(SCRIPTED_MONITOR_PATH, folder.Path(), {{"KELVOMON_SIMULATE", "1"}});
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitUntilCatching(SIGTERM));
    monitor.Signal(SIGTERM);
    ASSERT_TRUE(monitor.WaitForLine("ended"));
    monitor.Signal(SIGTERM);
    monitor.Signal(SIGHUP);
    monitor.CloseInput();
    EXPECT_EQ(monitor.WaitForExit(), 0);
    EXPECT_TRUE(SavedAsOnClose(folder.Path()));
}

// The program plays its alarms through its sound module, loaded at the first
// one: the alarm is heard as the program is installed and started.
TEST(ProgramRun, SoundsTheAlarmThroughItsSoundModule) {
    TemporaryDirectory folder;
    const kelvo::testing::AlsaCapture capture(folder.Path());
    const std::vector<std::int16_t> tone{0, 1200, 2400, -2400, -1200, 0, 32767, -32768};
    std::filesystem::create_directory(folder / "wav");
    TemporaryDirectory::WriteFile(folder / "wav" / "Tone.wav",
                                  kelvo::testing::WaveFile(1, 8000, tone));
    TemporaryDirectory::WriteFile(folder / "Config.ini",
                                  "[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\n"
                                  "SoundAlarmInner=1\r\nSoundAlarmInnerFile=Tone.wav\r\n"
                                  "SoundAlarmInnerLower=0\r\nSoundAlarmInnerUpper=10\r\n");
    Child monitor(KELVOMON_PATH, folder.Path(),
                  {{"KELVOMON_SIMULATE", "1"}, {"KELVOMON_SIM_TEMPS", "20"}});
    ASSERT_TRUE(monitor.Started());
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!capture.Played() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(capture.Played()) << "no alarm was heard";
    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.WaitForExit(), 0);
    EXPECT_TRUE(capture.Samples() == kelvo::testing::SampleBytes(tone)) << "not the wave's samples";
}

TEST(ProgramRun, WithoutHomeInADeletedFolderATerminationEndsTheStartUpMessage) {
    // No registry can be found and no chart file either: start-up shows its
    // message and waits for OK.
    TemporaryDirectory folder;
    std::filesystem::create_directory(folder / "gone");
    Child monitor(KELVOMON_PATH, folder / "gone",
                  {{"HOME", std::nullopt},
                   {"XDG_DATA_HOME", std::nullopt},
                   {"KELVO_REGISTRY", std::nullopt},
                   {"KELVOMON_SIMULATE", "1"}},
                  true);
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitUntilCatching(SIGTERM)) << "the monitor did not start";
    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.WaitForExit(), 0);
}

} // namespace
