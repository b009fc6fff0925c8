// The window's metrics as a scrape of its endpoint sees them.
#include "tests/app/MonitorWindowFixture.h"
#include "tests/support/LoopbackHttp.h"

#include <QCoreApplication>

#include <cmath>
#include <cstdlib>

#include <gmock/gmock.h>

namespace kelvo {
namespace {

using namespace mainwindow;
using ::testing::HasSubstr;
using ::testing::Not;

class MetricsWindowTest : public MonitorWindowFixture {
protected:
    std::string Scrape() {
        if (!window->metricsEndpoint) {
            return "no endpoint";
        }
        const std::optional<test::HttpAnswer> answer =
            test::HttpGet(window->metricsEndpoint->Port(), "/metrics");
        return answer ? answer->body : "no answer";
    }

    // The value of the sample line that starts with `series`; NaN when absent.
    double Value(const std::string& series) {
        const std::string text = Scrape();
        const std::size_t at = text.find("\n" + series + " ");
        return at == std::string::npos
                   ? std::nan("")
                   : std::strtod(text.c_str() + at + series.size() + 2, nullptr);
    }
};

TEST_F(MetricsWindowTest, ReadingsFailuresAlarmAndUnplugShowInTheScrape) {
    // The band's upper bound lies between the two readings; its sound file is
    // missing, so the alarm decides but plays nothing.
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\nUnit=C\r\nSoundAlarmInner=1\r\n"
                "SoundAlarmInnerLower=10.00\r\nSoundAlarmInnerUpper=21.00\r\n"
                "SoundAlarmInnerFile=missing.wav\r\n"
                "[Extensions]\r\nMetricsListen=127.0.0.1:0\r\n");
    Start(1, "20,21.5,err,empty");
    window->recordClock = [] { return std::time_t{1700000000}; };
    ASSERT_NE(window->metricsEndpoint, nullptr);
    EXPECT_THAT(Scrape(), Not(HasSubstr("kelvo_temperature_celsius{")))
        << "no temperature before the first reading";
    EXPECT_THAT(Scrape(), HasSubstr("\nkelvo_thermometers 1\n"));

    // With an interval of 1 s the second tick reads, the third hands the reading on.
    Tick(readTimerId);
    Tick(readTimerId);
    EXPECT_THAT(Scrape(),
                HasSubstr("\nkelvo_temperature_celsius{device=\"HID Device 01\",probe=\"inner\"} "
                          "20\n"));
    Tick(readTimerId);
    EXPECT_THAT(Scrape(), HasSubstr("\nkelvo_alarm_active 0\n"));
    Tick(readTimerId);
    Tick(readTimerId);
    std::string text = Scrape();
    EXPECT_THAT(text, HasSubstr("probe=\"inner\"} 21.5\n"));
    EXPECT_THAT(text, HasSubstr("\nkelvo_readings_total 2\n"));
    EXPECT_THAT(text, HasSubstr("\nkelvo_last_reading_timestamp_seconds 1700000000\n"));
    EXPECT_THAT(text, HasSubstr("\nkelvo_alarm_active 1\n")) << "21.5 lies above 21";

    Tick(readTimerId); // the sensor error
    ASSERT_EQ(Text(innerReadoutId), "sensor maybe error");
    text = Scrape();
    EXPECT_THAT(text, HasSubstr("\nkelvo_reading_failures_total{kind=\"sensor\"} 1\n"));
    EXPECT_THAT(text, HasSubstr("probe=\"inner\"} 21.5\n")) << "the last good reading stays";
    Tick(readTimerId); // the empty answer
    EXPECT_THAT(Scrape(), HasSubstr("\nkelvo_reading_failures_total{kind=\"no_data\"} 1\n"));

    platform->Unplug(0);
    Tick(readTimerId);
    ASSERT_EQ(Text(innerReadoutId), "Watting");
    Tick(retryTimerId);
    text = Scrape();
    EXPECT_THAT(text, Not(HasSubstr("kelvo_temperature_celsius{")));
    EXPECT_THAT(text, HasSubstr("\nkelvo_reading_failures_total{kind=\"transfer\"} 1\n"));
    EXPECT_THAT(text, HasSubstr("\nkelvo_thermometers 0\n"));
    EXPECT_THAT(text, HasSubstr("\nkelvo_alarm_active 0\n"));
    EXPECT_THAT(text, HasSubstr("\nkelvo_readings_total 2\n"));
}

TEST_F(MetricsWindowTest, FahrenheitDisplayStillPublishesCelsiusWithTheCalibration) {
    // A calibration of 0.9 F is 0.5 C.
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\nUnit=F\r\n"
                "[Extensions]\r\nMetricsListen=127.0.0.1:0\r\n");
    Start(1, "25");
    window->innerCalibration = 0.9;
    Tick(readTimerId);
    Tick(readTimerId);
    ASSERT_EQ(Text(innerReadoutId), "77.90 F");
    EXPECT_NEAR(Value("kelvo_temperature_celsius{device=\"HID Device 01\",probe=\"inner\"}"), 25.5,
                1e-9);
}

TEST_F(MetricsWindowTest, BoundPortGivesOneMessageAndReadingGoesOn) {
    const test::HeldLoopbackPort held;
    ASSERT_GT(held.Port(), 0);
    const std::string listen = "127.0.0.1:" + std::to_string(held.Port());
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n[Extensions]\r\nMetricsListen=" + listen +
                "\r\n");
    Start(1, "20");
    QCoreApplication::processEvents();
    EXPECT_EQ(window->metricsEndpoint, nullptr);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], HasSubstr("MetricsListen=" + listen));
    EXPECT_THAT(messages[0], HasSubstr("Address already in use"));

    Tick(readTimerId);
    Tick(readTimerId);
    Tick(retryTimerId);
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(innerReadoutId), "20.00 C");
    EXPECT_EQ(messages.size(), 1u) << "the rediscovery does not try again";
}

TEST_F(MetricsWindowTest, WithoutTheSettingNothingListens) {
    WriteConfig("[ConfigInfo]\r\nReadInterval=1\r\n");
    Start(1, "20");
    QCoreApplication::processEvents();
    EXPECT_EQ(window->metricsEndpoint, nullptr);
    EXPECT_TRUE(messages.empty());
}

} // namespace
} // namespace kelvo
