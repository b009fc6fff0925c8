#include "tests/app/MonitorWindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>

#include <optional>

namespace kelvo {
namespace {

using namespace mainwindow;

class MainWindowDeviceTest : public MonitorWindowFixture {
protected:
    std::vector<std::string> ListedDevices() const {
        std::vector<std::string> names;
        for (int index = 0; index < window->ComboGetCount(deviceListId); ++index) {
            names.push_back(window->ComboGetItemText(deviceListId, index));
        }
        return names;
    }
};

TEST_F(MainWindowDeviceTest, ThreeThermometersAreListedTheFirstSelectedAndReading) {
    Start(3);
    EXPECT_EQ(ListedDevices(),
              (std::vector<std::string>{"HID Device 01", "HID Device 02", "HID Device 03"}));
    EXPECT_EQ(window->ComboGetCurSel(deviceListId), 0);
    EXPECT_TRUE(window->IsDlgButtonChecked(readingId));
    EXPECT_TRUE(window->IsTimerRunning(readTimerId));
    EXPECT_FALSE(window->deviceMissing);
    EXPECT_FALSE(window->curvePage.isHidden());
    // Selected with C then D, then checked with R.
    const std::vector<std::uint8_t> expected{'C', 'D', 'R'};
    EXPECT_EQ(platform->Commands(0), expected);
    EXPECT_TRUE(platform->Commands(1).empty());
    EXPECT_TRUE(messages.empty());
}

// Notes the first time a widget is painted.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// The exchange waits for the thermometer's answers: the window is drawn first.
TEST_F(MainWindowDeviceTest, AShownWindowTalksToTheThermometerAfterItsFirstFrame) {
    platform = std::make_shared<SimulatedHidPlatform>(1);
    SetProcessHidPlatform(platform);
    std::unique_ptr<FirstPaint> firstPaint;
    int pauses = 0;
    int pausesAfterPaint = 0;
    window = std::make_unique<CMainDlg>([&](std::chrono::milliseconds) {
        ++pauses;
        pausesAfterPaint += firstPaint && firstPaint->painted ? 1 : 0;
    });
    window->Initialise();
    firstPaint = std::make_unique<FirstPaint>(window.get());
    window->show();
    EXPECT_EQ(window->ComboGetCount(deviceListId), 1) << "listed before the window shows";
    EXPECT_TRUE(platform->Commands(0).empty()) << "nothing is sent before the window shows";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (platform->Commands(0).size() < 3 && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_EQ(platform->Commands(0), (std::vector<std::uint8_t>{'C', 'D', 'R'}));
    EXPECT_GT(pauses, 0);
    EXPECT_EQ(pausesAfterPaint, pauses);
    EXPECT_TRUE(window->IsDlgButtonChecked(readingId));
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainWindowDeviceTest, CalibratingDuringAPassWritesOnlyOnceThePassHasEnded) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "20");
    pause.Hold();
    window->OnTimer(readTimerId);
    window->OnTimer(readTimerId); // a pass sends T and waits for the answer
    ASSERT_TRUE(pause.WaitUntilReached());

    // The pass is let through only from within the calibration.
    const auto before = platform->Configuration(0);
    std::optional<bool> writtenBeforeThePassEnded;
    QTimer::singleShot(0, [&] {
        writtenBeforeThePassEnded = platform->Configuration(0) != before;
        pause.Release();
    });
    window->settingPage.SetDlgItemText(settingpage::innerCalibrationId, "1.0");
    window->settingPage.Item<QAbstractButton>(settingpage::calibrateId)->click();
    pause.Release();
    window->WaitForSamplingPass();

    ASSERT_TRUE(writtenBeforeThePassEnded.has_value()) << "the calibration did not wait";
    EXPECT_FALSE(*writtenBeforeThePassEnded) << "written while the pass waited for its answer";
    EXPECT_NE(platform->Configuration(0), before);
    EXPECT_EQ(Text(innerReadoutId), "20.00 C") << "the pass read its own answer";
    EXPECT_TRUE(window->IsTimerRunning(readTimerId));
}

TEST_F(MainWindowDeviceTest, ChoosingAnotherDeviceSelectsItWithoutStartingReadingWhenStopped) {
    Start(2);
    window->Item<QAbstractButton>(stopId)->click();
    window->deviceList->setCurrentIndex(1);
    window->OnSelchangeDevice();
    const std::vector<std::uint8_t> expected{'C', 'D'};
    EXPECT_EQ(platform->Commands(1), expected);
    EXPECT_FALSE(window->IsTimerRunning(readTimerId));
    EXPECT_TRUE(window->IsDlgButtonChecked(stopId));
}

TEST_F(MainWindowDeviceTest, ChoosingAnotherDeviceDuringAPassLetsThePassReadItsOwnAnswer) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    auto thermometers = std::make_shared<SimulatedHidPlatform>();
    thermometers->AddThermometer(ParseSimulatedReadings("20"));
    thermometers->AddThermometer(ParseSimulatedReadings("30"));
    StartOn(thermometers);
    pause.Hold();
    window->OnTimer(readTimerId);
    window->OnTimer(readTimerId); // a pass sends T to the first device and waits
    ASSERT_TRUE(pause.WaitUntilReached());

    // The pass is let through only from within the device change.
    std::vector<std::uint8_t> secondDeviceBeforeThePassEnded{'?'};
    QTimer::singleShot(0, [&] {
        secondDeviceBeforeThePassEnded = platform->Commands(1);
        pause.Release();
    });
    window->deviceList->setCurrentIndex(1);
    Q_EMIT window->deviceList->activated(1); // as the user's choice does
    pause.Release();
    window->WaitForSamplingPass();

    EXPECT_TRUE(secondDeviceBeforeThePassEnded.empty())
        << "the second device was told before the pass ended";
    EXPECT_EQ(Text(innerReadoutId), "20.00 C") << "the read went to the device sent T";
    EXPECT_FALSE(window->deviceMissing);
    EXPECT_EQ(window->ComboGetCurSel(deviceListId), 1);
    EXPECT_EQ(platform->Commands(1), (std::vector<std::uint8_t>{'C', 'D'}));

    Tick(readTimerId); // hands 20 on
    Tick(readTimerId); // reads from the chosen device
    EXPECT_EQ(Text(innerReadoutId), "30.00 C");
    EXPECT_EQ(platform->Commands(1), (std::vector<std::uint8_t>{'C', 'D', 'T'}));
    EXPECT_EQ(window->ComboGetCurSel(deviceListId), 1) << "the user's choice stands";
}

TEST_F(MainWindowDeviceTest, AThermometerOfAnotherTypeIsWarnedAboutAndRead) {
    auto thermometers = std::make_shared<SimulatedHidPlatform>(1);
    thermometers->SetTypeCode(0, 'Y');
    StartOn(thermometers);
    EXPECT_EQ(messages, std::vector<std::string>{"The device type maybe is not HidKelvo"});
    EXPECT_TRUE(window->IsDlgButtonChecked(readingId));
}

TEST_F(MainWindowDeviceTest, NoneAtStartThenOnePluggedInIsFoundWithinOneRetryTick) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=7\r\n");
    Start(0);
    EXPECT_TRUE(ListedDevices().empty());
    EXPECT_FALSE(window->IsDlgButtonChecked(readingId));
    EXPECT_FALSE(window->IsDlgButtonChecked(stopId));
    EXPECT_TRUE(window->deviceMissing);
    EXPECT_TRUE(window->IsTimerRunning(retryTimerId));

    Tick(retryTimerId);
    EXPECT_TRUE(window->deviceMissing);

    window->readInterval = 3; // changed since start; the rediscovery reloads the file
    platform->AddThermometer();
    Tick(retryTimerId);
    EXPECT_EQ(ListedDevices(), std::vector<std::string>{"HID Device 01"});
    EXPECT_FALSE(window->deviceMissing);
    EXPECT_TRUE(window->IsDlgButtonChecked(readingId));
    EXPECT_FALSE(window->IsDlgButtonChecked(stopId));
    EXPECT_TRUE(window->IsDlgItemEnabled(readingId));
    EXPECT_TRUE(window->IsDlgItemEnabled(stopId));
    EXPECT_TRUE(window->IsTimerRunning(readTimerId));
    EXPECT_EQ(window->readInterval, 7);

    Tick(retryTimerId);
    EXPECT_EQ(ListedDevices().size(), 1U) << "nothing happens while a thermometer is in use";
}

TEST_F(MainWindowDeviceTest, ClosingSavesOnlyWithAThermometerListed) {
    WriteConfig("[Other]\r\nkeep=1\r\n");
    Start(0);
    window->readInterval = 9;
    window->OnClose();
    EXPECT_EQ(testing::TemporaryDirectory::ReadFile(folder / "Config.ini"),
              "[Other]\r\nkeep=1\r\n");

    Start(1);
    window->readInterval = 9;
    window->OnClose();
    const std::string saved = testing::TemporaryDirectory::ReadFile(folder / "Config.ini");
    EXPECT_NE(saved.find("keep=1"), std::string::npos);
    EXPECT_NE(saved.find("ReadInterval=9"), std::string::npos);
    EXPECT_LT(saved.find("Unit="), saved.find("TSCT="));
}

TEST_F(MainWindowDeviceTest, EscapeEndsTheWindowWithoutSaving) {
    Start(1);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &escape);
    EXPECT_EQ(window->result(), dialog::idCancel);
    EXPECT_FALSE(std::filesystem::exists(folder / "Config.ini"));
}

} // namespace
} // namespace kelvo
