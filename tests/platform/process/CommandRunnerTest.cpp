#include "platform/process/CommandRunner.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using testing::TemporaryDirectory;

// Collects the runner's lines, which arrive on its threads.
class Lines {
public:
    CommandRunner::Report Sink() {
        return [this](const std::string& line) {
            std::lock_guard lock(mutex);
            lines.push_back(line);
        };
    }
    std::vector<std::string> Taken() {
        std::lock_guard lock(mutex);
        return lines;
    }

private:
    std::mutex mutex;
    std::vector<std::string> lines;
};

class CommandRunnerTest : public ::testing::Test {
protected:
    // A program that writes its arguments, one a line, and then the KELVO_
    // variables it got, into the file named by RECORD_TO.
    std::string Recorder() {
        const std::filesystem::path script = directory / "record";
        TemporaryDirectory::WriteFile(
            script, "#!/bin/sh\n"
                    "for a in \"$@\"; do printf '%s\\n' \"$a\"; done "
                    "> \"$RECORD_TO\"\n"
                    "env | grep -E '^KELVO_(STATE|VALUE|UNIT|LOWER|UPPER|DEVICE)=' | sort >> "
                    "\"$RECORD_TO\"\n");
        chmod(script.c_str(), 0700);
        return script.string();
    }

    TemporaryDirectory directory;
    Lines lines;
};

TEST_F(CommandRunnerTest, PassesArgumentsAsTheyAreAndSetsTheEnvironment) {
    // What the caller's environment holds is overridden, not doubled.
    setenv("KELVO_STATE", "stale", 1);
    const std::filesystem::path record = directory / "out";
    {
        CommandRunner runner(10s, lines.Sink());
        runner.Run({Recorder(), "x;rm -rf y", "$HOME", "a b"},
                   {{"KELVO_STATE", "alarm"}, {"KELVO_VALUE", "31.25"}, {"RECORD_TO", record}},
                   "record");
        ASSERT_TRUE(runner.WaitUntilIdle(10s));
    }
    unsetenv("KELVO_STATE");
    EXPECT_EQ(TemporaryDirectory::ReadFile(record), "x;rm -rf y\n$HOME\na b\n"
                                                    "KELVO_STATE=alarm\nKELVO_VALUE=31.25\n");
    EXPECT_EQ(lines.Taken(), std::vector<std::string>{"alarm command \"record\" ended with exit "
                                                      "status 0"});
}

TEST_F(CommandRunnerTest, TellsHowEachProgramEnded) {
    CommandRunner runner(10s, lines.Sink());
    runner.Run({"/nonexistent/kelvo-alarm"}, {}, "missing");
    runner.Run({"kelvo-no-such-program-on-path"}, {}, "not on PATH");
    runner.Run({"/bin/sh", "-c", "exit 3"}, {}, "three");
    runner.Run({"/bin/sh", "-c", "kill -TERM $$"}, {}, "terminated");
    ASSERT_TRUE(runner.WaitUntilIdle(10s));
    // One after another, in the order asked for.
    EXPECT_EQ(lines.Taken(),
              (std::vector<std::string>{
                  "alarm command \"missing\" could not be started: No such file or directory",
                  "alarm command \"not on PATH\" could not be started: No such file or directory",
                  "alarm command \"three\" ended with exit status 3",
                  "alarm command \"terminated\" was ended by signal 15 (Terminated)",
              }));
}

TEST_F(CommandRunnerTest, KillsAProgramThatHangsWithWhatItStarted) {
    const std::filesystem::path childFile = directory / "child";
    CommandRunner runner(300ms, lines.Sink());
    runner.Run({"/bin/sh", "-c", "sleep 30 & echo $! > \"$0\"; wait", childFile.string()}, {},
               "hangs");
    ASSERT_TRUE(runner.WaitUntilIdle(10s));
    EXPECT_EQ(lines.Taken(),
              std::vector<std::string>{"alarm command \"hangs\" ran longer than 300 ms and was "
                                       "killed"});
    const pid_t child = std::atoi(TemporaryDirectory::ReadFile(childFile).c_str());
    ASSERT_GT(child, 0);
    // The child is gone, or a zombie about to be reaped by init.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::string state;
    do {
        const std::string status =
            TemporaryDirectory::ReadFile("/proc/" + std::to_string(child) + "/stat");
        state = status.empty() ? "gone" : status.substr(status.rfind(')') + 2, 1);
        std::this_thread::sleep_for(5ms);
    } while (state != "gone" && state != "Z" && std::chrono::steady_clock::now() < deadline);
    EXPECT_TRUE(state == "gone" || state == "Z") << state;
}

TEST_F(CommandRunnerTest, LeavesAProgramStillRunningWhenItEnds) {
    const std::filesystem::path started = directory / "started";
    {
        CommandRunner runner(10s, lines.Sink());
        runner.Run({"/bin/sh", "-c", "touch \"$0\"; sleep 1", started.string()}, {}, "slow");
        runner.Run({"/bin/true"}, {}, "next");
        // The first must be running before the runner ends, or nothing is left to tell.
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!std::filesystem::exists(started) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
    }
    EXPECT_EQ(lines.Taken(),
              (std::vector<std::string>{
                  "alarm command \"slow\" is still running as the monitor ends; it is left to "
                  "finish",
                  "1 alarm command(s) still waiting are not run: the monitor ends"}));
}

} // namespace
} // namespace kelvo
