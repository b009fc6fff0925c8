// The notices beyond the sound, end to end: sampling passes on a simulated
// thermometer, notifications to a recording server on a private session bus,
// and the alarm command as a program that records what it was given.
#include "tests/app/MonitorWindowFixture.h"
#include "tests/platform/notify/PrivateSessionBus.h"
#include "tests/support/QtDBusUnderThreadSanitizer.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <sys/stat.h>

#include <chrono>
#include <mutex>
#include <sstream>
#include <thread>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using namespace mainwindow;
using testing::TemporaryDirectory;

class AlarmAlertsTest : public MonitorWindowFixture {
protected:
    // Band 10 to 30 with the sound alarm on (no wave file: it plays nothing),
    // the readings in turn, and these [Extensions] lines.
    void StartWith(const std::string& readings, const std::string& extensions) {
        WriteConfig("[ConfigInfo]\r\nAutoOrManual=1\r\nReadInterval=1\r\nSoundAlarmInner=1\r\n"
                    "SoundAlarmInnerLower=10\r\nSoundAlarmInnerUpper=30\r\n[Extensions]\r\n" +
                    extensions);
        Start(1, readings);
        window->alarmAlerts.bus = [this] {
            ++busAsked;
            return QDBusConnection::connectToBus(QString::fromStdString(bus->Address()),
                                                 "kelvo-alerts-test");
        };
        window->alarmAlerts.commandLimit = 10s;
        window->alarmAlerts.report = [this](const std::string& line) {
            std::lock_guard lock(linesLock);
            lines.push_back(line);
        };
        Tick(readTimerId); // the first tick of interval 1 is not due yet
    }

    void ReadAndHandOff() {
        Tick(readTimerId);
        Tick(readTimerId);
    }

    // A program that appends its arguments and KELVO_ variables to a file.
    std::string Recorder() {
        const std::filesystem::path script = folder / "record";
        TemporaryDirectory::WriteFile(
            script, "#!/bin/sh\n"
                    "{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done\n"
                    "  env | grep -E '^KELVO_(STATE|VALUE|UNIT|LOWER|UPPER|DEVICE)=' | sort; echo "
                    "--; } >> \"" +
                        (folder / "commands").string() + "\"\n");
        chmod(script.c_str(), 0700);
        return script.string();
    }

    // The notifications recorded, once `count` are there.
    std::vector<QJsonObject> Notifications(std::size_t count) {
        std::vector<QJsonObject> calls;
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        do {
            QCoreApplication::processEvents();
            calls.clear();
            std::istringstream text(TemporaryDirectory::ReadFile(record));
            for (std::string line; std::getline(text, line);) {
                calls.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
            }
            std::this_thread::sleep_for(5ms);
        } while (calls.size() < count && std::chrono::steady_clock::now() < deadline);
        return calls;
    }

    void TearDown() override {
        MonitorWindowFixture::TearDown();
        // Even a disconnection starts Qt's D-Bus thread: only after a connection.
        if (busAsked > 0) {
            QDBusConnection::disconnectFromBus("kelvo-alerts-test");
        }
        bus.reset();
    }

    const std::filesystem::path record = folder / "notifications";
    std::unique_ptr<test::PrivateSessionBus> bus =
        std::make_unique<test::PrivateSessionBus>(record);
    int busAsked = 0;
    std::mutex linesLock;
    std::vector<std::string> lines;
};

TEST_F(AlarmAlertsTest, LeavingAndReturningNotifiesAndRunsTheCommandOnce) {
    KELVO_SKIP_QT_DBUS_UNDER_TSAN();
    ASSERT_NE(bus->Address(), "") << "no private bus";
    StartWith("25,35,36,25,24", "DesktopNotify=1\r\nBackInBandNotice=1\r\nAlarmCommand=" +
                                    Recorder() + " \"x;rm -rf y\"\r\n");
    for (int sample = 0; sample < 5; ++sample) {
        ReadAndHandOff();
    }
    ASSERT_EQ(TableRows(), 5);

    const std::vector<QJsonObject> calls = Notifications(2);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0]["summary"].toString(), "Temperature alarm");
    EXPECT_EQ(calls[0]["body"].toString(),
              "HID Device 01: 35.00 C is above the alarm band 10.00 to 30.00 C");
    EXPECT_EQ(calls[0]["image"].toObject()["width"].toInt(), 48);
    EXPECT_EQ(calls[1]["summary"].toString(), "Temperature back in band");
    EXPECT_EQ(calls[1]["body"].toString(),
              "HID Device 01: 25.00 C is back in the alarm band 10.00 to 30.00 C");
    EXPECT_EQ(calls[1]["replaces_id"].toInt(), calls[0]["id"].toInt());

    ASSERT_TRUE(window->alarmAlerts.WaitForCommands(10s));
    const std::string common = "KELVO_DEVICE=HID Device 01\nKELVO_LOWER=10.00\n";
    EXPECT_EQ(TemporaryDirectory::ReadFile(folder / "commands"),
              "x;rm -rf y\n" + common +
                  "KELVO_STATE=alarm\nKELVO_UNIT=C\nKELVO_UPPER=30.00\nKELVO_VALUE=35.00\n--\n"
                  "x;rm -rf y\n" +
                  common +
                  "KELVO_STATE=clear\nKELVO_UNIT=C\nKELVO_UPPER=30.00\nKELVO_VALUE=25.00\n--\n");
    std::lock_guard lock(linesLock);
    EXPECT_EQ(lines.size(), 2u); // one exit status per run
}

TEST_F(AlarmAlertsTest, WithTheExtensionsOffNothingIsNotifiedOrRun) {
    ASSERT_NE(bus->Address(), "") << "no private bus";
    StartWith("25,35,25", "");
    for (int sample = 0; sample < 3; ++sample) {
        ReadAndHandOff();
    }
    ASSERT_EQ(TableRows(), 3);
    EXPECT_EQ(busAsked, 0);
    EXPECT_TRUE(Notifications(0).empty());
    EXPECT_TRUE(window->alarmAlerts.WaitForCommands(1s));
    std::lock_guard lock(linesLock);
    EXPECT_TRUE(lines.empty());
}

TEST_F(AlarmAlertsTest, ClearIsNotifiedOnlyWithBackInBandNotice) {
    KELVO_SKIP_QT_DBUS_UNDER_TSAN();
    ASSERT_NE(bus->Address(), "") << "no private bus";
    StartWith("35,25,36", "DesktopNotify=1\r\nAlarmHysteresis=0.5\r\n");
    for (int sample = 0; sample < 3; ++sample) {
        ReadAndHandOff();
    }
    // 35 alarms, 25 clears quietly, 36 alarms again.
    const std::vector<QJsonObject> calls = Notifications(2);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0]["summary"].toString(), "Temperature alarm");
    EXPECT_EQ(calls[1]["summary"].toString(), "Temperature alarm");
    EXPECT_NE(calls[1]["body"].toString().toStdString().find("36.00 C"), std::string::npos);
}

} // namespace
} // namespace kelvo
