#include "tests/app/MonitorWindowFixture.h"
#include "tests/platform/sound/AlsaCapture.h"
#include "tests/platform/sound/WaveBytes.h"

#include "platform/dialog/UiThread.h"
#include "platform/sound/AlarmSound.h"

#include <QAbstractButton>
#include <QCoreApplication>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kelvo {
namespace {

using namespace mainwindow;
using namespace settingpage;
using testing::AlsaCapture;
using testing::SampleBytes;
using testing::WaveFile;

const std::vector<std::int16_t> toneSamples{0, 1200, 2400, -2400, -1200, 0, 32767, -32768};

// The alarm as the user hears it: the monitor's sampling passes on simulated
// thermometers, with ALSA's "default" device writing what it plays to a file.
class SoundAlarmTest : public MonitorWindowFixture {
protected:
    void SetUp() override {
        MonitorWindowFixture::SetUp();
        std::filesystem::create_directories(folder / "wav");
        testing::TemporaryDirectory::WriteFile(folder / "wav" / "Tone.wav",
                                               WaveFile(1, 8000, toneSamples));
    }

    void StartWithBand(const std::string& readings, const std::string& lower,
                       const std::string& upper) {
        WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\nSoundAlarmInner=1\r\n"
                    "SoundAlarmInnerFile=Tone.wav\r\nSoundAlarmInnerLower=" +
                    lower + "\r\nSoundAlarmInnerUpper=" + upper + "\r\n");
        Start(1, readings);
        Tick(readTimerId); // the first tick of interval 1 is not due yet
    }

    // One read pass and the hand-off pass that carries its reading on.
    void ReadAndHandOff() {
        Tick(readTimerId);
        Tick(readTimerId);
    }

    // The band as the user types it and applies it.
    void ApplyBand(const std::string& lower, const std::string& upper) {
        CSettingPage& page = window->settingPage;
        page.SetDlgItemText(innerLowerId, lower);
        page.SetDlgItemText(innerUpperId, upper);
        page.Item<QAbstractButton>(applyId)->click();
    }
};

TEST_F(SoundAlarmTest, AReadingBeyondTheBandPlaysOnEverySampleAndOneOnABoundNever) {
    StartWithBand("30,10", "10", "30");
    const AlsaCapture capture(folder.Path());
    for (const char* reading : {"30.00 C", "10.00 C", "30.00 C"}) {
        ReadAndHandOff();
        ASSERT_EQ(TableCell(TableRows() - 1, 2), reading);
        EXPECT_FALSE(capture.Played()) << "a reading equal to a bound is inside: " << reading;
    }

    ApplyBand("10.01", "29.99");
    for (const char* reading : {"10.00 C", "30.00 C", "10.00 C"}) {
        ReadAndHandOff();
        ASSERT_EQ(TableCell(TableRows() - 1, 2), reading);
        ASSERT_TRUE(capture.Played()) << "0.01 beyond the band: " << reading;
        EXPECT_TRUE(capture.Samples() == SampleBytes(toneSamples)) << "not the wave's samples";
        capture.Clear();
    }
    EXPECT_FALSE(window->samplingBusy);
}

TEST_F(SoundAlarmTest, OnlyTheInnerAlarmIsEverCompared) {
    WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\nSoundAlarmInner=0\r\n"
                "SoundAlarmInnerFile=Tone.wav\r\nSoundAlarmInnerUpper=0\r\n"
                "SoundAlarmOutter=1\r\nSoundAlarmOutterFile=Tone.wav\r\n"
                "SoundAlarmOutterLower=50\r\nSoundAlarmOutterUpper=-50\r\n");
    Start(1, "25");
    const AlsaCapture capture(folder.Path());
    Tick(readTimerId);
    ReadAndHandOff();
    ASSERT_EQ(TableRows(), 1);
    EXPECT_FALSE(capture.Played());
}

TEST_F(SoundAlarmTest, AnAlarmThatCannotPlayLeavesSamplingRunning) {
    StartWithBand("40", "10", "30");
    const testing::AlsaWithoutDevices noDevices;
    ReadAndHandOff();
    ReadAndHandOff();
    EXPECT_EQ(TableRows(), 2);
    EXPECT_EQ(Readings(), 2);
    EXPECT_FALSE(window->samplingBusy);
    EXPECT_TRUE(messages.empty());
}

// While a sound plays, the pass is still busy (read ticks are lost) but the
// window serves calls, so it stays responsive.
TEST_F(SoundAlarmTest, TheWindowAnswersWhileALongSoundPlays) {
    StartWithBand("40", "10", "30");
    const AlsaCapture capture(folder.Path());
    std::mutex mutex;
    std::condition_variable changed;
    bool playing = false;
    bool release = false;
    window->settingPage.alarmPlayer = [&](const std::string& name) {
        std::unique_lock lock(mutex);
        playing = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(30), [&] { return release; });
        return sound::PlayAlarmSound(name);
    };
    // Serves the window's calls until done() holds or a deadline passes.
    auto serveUntil = [&](const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return done();
    };
    auto isPlaying = [&] {
        std::lock_guard lock(mutex);
        return playing;
    };
    auto stopSound = [&] {
        {
            std::lock_guard lock(mutex);
            release = true;
        }
        changed.notify_all();
    };
    Tick(readTimerId);            // reads 40
    window->OnTimer(readTimerId); // hands it on, and the sound starts
    if (!serveUntil(isPlaying)) {
        stopSound();
        FAIL() << "the sound never started";
    }
    EXPECT_TRUE(window->samplingBusy);
    window->OnTimer(readTimerId); // due, but lost while the sound plays
    EXPECT_EQ(Readings(), 1);

    std::atomic<bool> answered = false;
    std::thread caller([&] {
        dialog::UiThread::BlockingCall([&] { answered = window->IsDlgButtonChecked(readingId); });
    });
    EXPECT_TRUE(serveUntil([&] { return answered.load(); }))
        << "the window did not answer while the sound played";
    EXPECT_FALSE(capture.Played()) << "the sound is still playing";
    stopSound();
    caller.join();
    window->WaitForSamplingPass();
    EXPECT_FALSE(window->samplingBusy);
    EXPECT_TRUE(capture.Samples() == SampleBytes(toneSamples));
}

} // namespace
} // namespace kelvo
