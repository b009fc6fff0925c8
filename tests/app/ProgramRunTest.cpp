// The monitor as a process: started offscreen in a folder of its own, told to stop.
#include "tests/platform/ini/TemporaryDirectory.h"
#include "tests/platform/sound/AlsaCapture.h"
#include "tests/platform/sound/WaveBytes.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using kelvo::test::ChildProcess;
using kelvo::testing::TemporaryDirectory;

constexpr auto deadline = std::chrono::seconds(ChildProcess::deadlineSeconds);

// The monitor (or the scripted one) as a user starts it: offscreen, and with
// no simulated readings but those the test names, so that the caller's
// cannot steer it.
ChildProcess::Variables AsAUserStartsIt(ChildProcess::Variables variables) {
    variables.emplace("QT_QPA_PLATFORM", "offscreen");
    variables.emplace("KELVOMON_SIM_TEMPS", std::nullopt);
    return variables;
}

// What closing the window writes with a thermometer listed.
bool SavedAsOnClose(const std::filesystem::path& folder) {
    const std::string text = TemporaryDirectory::ReadFile(folder / "Config.ini");
    return text.starts_with("[ConfigInfo]\n") && text.find("\nTSCT=0\n") != std::string::npos;
}

class SignalRun : public ::testing::TestWithParam<int> {};

TEST_P(SignalRun, EndsTheMonitorWithExitCodeZeroAfterSavingAsClosingDoes) {
    TemporaryDirectory folder;
    ChildProcess monitor({KELVOMON_PATH}, folder.Path(),
                         AsAUserStartsIt({{"KELVOMON_SIMULATE", "1"}}));
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
    ChildProcess monitor(
        {SCRIPTED_MONITOR_PATH}, folder.Path(),
        AsAUserStartsIt({{"KELVOMON_SIMULATE", "1"}, {"KELVO_SCRIPT", GetParam()}}));
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
    ChildProcess monitor({SCRIPTED_MONITOR_PATH}, folder.Path(),
                         AsAUserStartsIt({{"KELVOMON_SIMULATE", "1"}}));
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
    ChildProcess monitor(
        {KELVOMON_PATH}, folder.Path(),
        AsAUserStartsIt({{"KELVOMON_SIMULATE", "1"}, {"KELVOMON_SIM_TEMPS", "20"}}));
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
    ChildProcess monitor({KELVOMON_PATH}, folder / "gone",
                         AsAUserStartsIt({{"HOME", std::nullopt},
                                          {"XDG_DATA_HOME", std::nullopt},
                                          {"KELVO_REGISTRY", std::nullopt},
                                          {"KELVOMON_SIMULATE", "1"}}),
                         {}, true);
    ASSERT_TRUE(monitor.Started());
    ASSERT_TRUE(monitor.WaitUntilCatching(SIGTERM)) << "the monitor did not start";
    monitor.Signal(SIGTERM);
    EXPECT_EQ(monitor.WaitForExit(), 0);
}

} // namespace
