// Notifications against a notification server on a session bus of the test's
// own, so that nothing reaches the desktop of whoever runs the tests.
#include "platform/notify/DesktopNotifier.h"
#include "tests/platform/ini/TemporaryDirectory.h"
#include "tests/platform/notify/PrivateSessionBus.h"
#include "tests/support/QtDBusUnderThreadSanitizer.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace kelvo {
namespace {

using namespace std::chrono_literals;
using testing::TemporaryDirectory;

class DesktopNotifierTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "desktop_notifier_tests";
        static char* argv[] = {name, nullptr};
        application = new QCoreApplication(argc, argv);
    }
    static void TearDownTestSuite() { delete application; }

    void SetUp() override { KELVO_SKIP_QT_DBUS_UNDER_TSAN(); }

    // A 48-pixel icon whose left half is drawn and right half transparent.
    static QImage Icon() {
        QImage icon(48, 48, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter(&icon).fillRect(0, 0, 24, 48, QColor(200, 30, 30));
        return icon;
    }

    // The calls recorded so far, once `count` of them are there and the
    // notifier has its answers; fewer when the deadline passes first.
    std::vector<QJsonObject> Calls(const DesktopNotifier& notifier, std::size_t count) {
        std::vector<QJsonObject> calls;
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents();
            calls.clear();
            std::istringstream lines(TemporaryDirectory::ReadFile(record));
            for (std::string line; std::getline(lines, line);) {
                calls.push_back(QJsonDocument::fromJson(QByteArray::fromStdString(line)).object());
            }
            if (calls.size() >= count && notifier.Idle()) {
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
        return calls;
    }

    static inline QCoreApplication* application = nullptr;
    TemporaryDirectory directory;
    const std::filesystem::path record = directory / "calls";
    std::vector<std::string> lines;
};

TEST_F(DesktopNotifierTest, ShowsTheNoticeWithIconAndReplacesItWithTheNext) {
    test::PrivateSessionBus bus(record);
    ASSERT_NE(bus.Address(), "") << "no private bus";
    const QDBusConnection connection =
        QDBusConnection::connectToBus(QString::fromStdString(bus.Address()), "kelvo-test-bus");
    ASSERT_TRUE(connection.isConnected());
    {
        DesktopNotifier notifier(connection, "kelvomon", Icon(),
                                 [this](const std::string& line) { lines.push_back(line); });
        // The second comes before the first has its id: it waits for it.
        notifier.Show({"Temperature alarm", "31.25 C is above the alarm band 10.00 to 30.00",
                       DesktopNotifier::Urgency::Critical});
        notifier.Show({"Temperature back in band", "25.00 C is back in the alarm band",
                       DesktopNotifier::Urgency::Normal});
        const std::vector<QJsonObject> calls = Calls(notifier, 2);
        ASSERT_EQ(calls.size(), 2u);

        const QJsonObject& alarm = calls[0];
        EXPECT_EQ(alarm["app_name"].toString(), "kelvomon");
        EXPECT_EQ(alarm["summary"].toString(), "Temperature alarm");
        EXPECT_EQ(alarm["body"].toString(), "31.25 C is above the alarm band 10.00 to 30.00");
        EXPECT_EQ(alarm["urgency"].toInt(), 2);
        EXPECT_EQ(alarm["replaces_id"].toInt(), 0);
        const QJsonObject image = alarm["image"].toObject();
        EXPECT_EQ(image["width"].toInt(), 48);
        EXPECT_EQ(image["height"].toInt(), 48);
        EXPECT_EQ(image["stride"].toInt(), 48 * 4);
        EXPECT_TRUE(image["alpha"].toBool());
        EXPECT_EQ(image["bits"].toInt(), 8);
        EXPECT_EQ(image["channels"].toInt(), 4);
        EXPECT_EQ(image["bytes"].toInt(), 48 * 48 * 4);
        EXPECT_EQ(image["drawn"].toInt(), 24 * 48);

        const QJsonObject& clear = calls[1];
        EXPECT_EQ(clear["summary"].toString(), "Temperature back in band");
        EXPECT_EQ(clear["urgency"].toInt(), 1);
        EXPECT_EQ(clear["replaces_id"].toInt(), alarm["id"].toInt());
        EXPECT_EQ(clear["id"].toInt(), alarm["id"].toInt());
    }
    QDBusConnection::disconnectFromBus("kelvo-test-bus");
    EXPECT_TRUE(lines.empty());
}

TEST_F(DesktopNotifierTest, WithoutABusShowsNothingAndTellsOnce) {
    const QDBusConnection connection = QDBusConnection::connectToBus(
        QString::fromStdString("unix:path=" + (directory / "no-bus").string()), "kelvo-no-bus");
    DesktopNotifier notifier(connection, "kelvomon", Icon(),
                             [this](const std::string& line) { lines.push_back(line); });
    notifier.Show({"Temperature alarm", "31.25 C", DesktopNotifier::Urgency::Critical});
    notifier.Show({"Temperature alarm", "32.00 C", DesktopNotifier::Urgency::Critical});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("no session bus"), std::string::npos) << lines[0];
    QDBusConnection::disconnectFromBus("kelvo-no-bus");
}

} // namespace
} // namespace kelvo
