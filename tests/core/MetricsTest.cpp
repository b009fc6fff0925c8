#include "monitor/core/MetricsEndpoint.h"
#include "monitor/core/MonitorMetrics.h"
#include "tests/support/LoopbackHttp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The exposition's sample lines, without comments, in order.
std::vector<std::string> Samples(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        const std::string line = text.substr(start, end - start);
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
        start = end + 1;
    }
    return lines;
}

TEST(MonitorMetrics, ExpositionGivesEveryMetricWithItsLabels) {
    MonitorMetrics metrics("11.5");
    metrics.ThermometersListed(2);
    metrics.ReadingTaken("HID Device 01", 20.0, 1700000000);
    metrics.ReadingTaken("HID Device 01", 21.5, 1700000002);
    metrics.ReadingFailed(ReadingKind::sensorError);
    metrics.ReadingFailed(ReadingKind::noData);
    metrics.ReadingFailed(ReadingKind::temperature);
    metrics.AlarmDecided(true);
    metrics.MailReportFinished(true);
    metrics.MailReportFinished(false);
    metrics.MailReportFinished(true);
    const std::string text = metrics.ExpositionText();
    EXPECT_THAT(Samples(text),
                ::testing::UnorderedElementsAre(
                    R"(kelvo_temperature_celsius{device="HID Device 01",probe="inner"} 21.5)",
                    "kelvo_readings_total 2", R"(kelvo_reading_failures_total{kind="transfer"} 0)",
                    R"(kelvo_reading_failures_total{kind="sensor"} 1)",
                    R"(kelvo_reading_failures_total{kind="no_data"} 1)",
                    "kelvo_last_reading_timestamp_seconds 1700000002", "kelvo_alarm_active 1",
                    R"(kelvo_mail_reports_total{result="sent"} 2)",
                    R"(kelvo_mail_reports_total{result="failed"} 1)", "kelvo_thermometers 2",
                    R"(kelvo_build_info{version="11.5"} 1)"));
    EXPECT_THAT(text, HasSubstr("# TYPE kelvo_readings_total counter"));
    EXPECT_THAT(text, HasSubstr("# TYPE kelvo_temperature_celsius gauge"));

    metrics.ThermometerLost();
    const std::string lost = metrics.ExpositionText();
    EXPECT_THAT(lost, Not(HasSubstr("kelvo_temperature_celsius{")));
    EXPECT_THAT(lost, HasSubstr("\nkelvo_alarm_active 0\n")) << "no reading, no alarm";
    EXPECT_THAT(lost, HasSubstr("\nkelvo_readings_total 2\n")) << "counters keep counting";
}

TEST(MonitorMetrics, ReadingOfAnotherThermometerReplacesTheSeries) {
    MonitorMetrics metrics("1");
    metrics.ReadingTaken("HID Device 01", 20.0, 1);
    metrics.ReadingTaken("HID Device 02", -3.25, 2);
    const std::string text = metrics.ExpositionText();
    EXPECT_THAT(text, Not(HasSubstr("HID Device 01")));
    EXPECT_THAT(
        text,
        HasSubstr(R"(kelvo_temperature_celsius{device="HID Device 02",probe="inner"} -3.25)"));
}

TEST(MetricsEndpoint, ServesTheRegistryAndRefusesABoundPort) {
    MonitorMetrics metrics("11.5");
    metrics.ReadingTaken("HID Device 01", 20.0, 5);
    std::string problem;
    const auto endpoint = MetricsEndpoint::Open("127.0.0.1:0", metrics.Registry(), problem);
    ASSERT_NE(endpoint, nullptr) << problem;
    ASSERT_GT(endpoint->Port(), 0);

    metrics.ReadingTaken("HID Device 01", 21.5, 6);
    const std::optional<test::HttpAnswer> answer = test::HttpGet(endpoint->Port(), "/metrics");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    // The library's server adds its own exposer_* metrics before ours.
    EXPECT_THAT(answer->body, HasSubstr(metrics.ExpositionText()))
        << "the scrape sees the value set last";

    const std::string taken = "127.0.0.1:" + std::to_string(endpoint->Port());
    EXPECT_EQ(MetricsEndpoint::Open(taken, metrics.Registry(), problem), nullptr);
    EXPECT_THAT(problem, HasSubstr("Address already in use"));
    EXPECT_EQ(MetricsEndpoint::Open("localhost:9464", metrics.Registry(), problem), nullptr);
    EXPECT_THAT(problem, HasSubstr("numeric"));
    // The library's HTTP server serves IPv6 only where it was built with it;
    // elsewhere the address is refused with that reason.
    const auto ipv6 = MetricsEndpoint::Open("[::1]:0", metrics.Registry(), problem);
    if (ipv6) {
        EXPECT_GT(ipv6->Port(), 0);
    } else {
        EXPECT_THAT(problem, HasSubstr("IPv6"));
    }
}

} // namespace
} // namespace kelvo
