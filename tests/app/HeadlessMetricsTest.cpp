// The monitor as a headless process: scraped by a real Prometheus server on
// loopback, what the server's query API returns is what the monitor read; with
// its port taken, it runs on and still ends when told to.
#include "tests/platform/ini/TemporaryDirectory.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackHttp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using kelvo::test::ChildProcess;
using kelvo::testing::TemporaryDirectory;
using ::testing::HasSubstr;

// Polls until `done` holds or the limit passes.
bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(200ms);
    }
    return done();
}

// Under ThreadSanitizer the monitor's own code stays checked, but Qt's painting
// hands work to Qt's thread pool, whose locks lie inside Qt, which is not
// built with the sanitizer: its allocations there are left out, or each
// painted frame would be reported as a race.
std::string MonitorSanitizerOptions() {
    const char* inherited = std::getenv("TSAN_OPTIONS");
    return std::string(inherited == nullptr ? "" : inherited) + " ignore_noninstrumented_modules=1";
}

std::string Query(int port, const std::string& encodedQuery) {
    const auto answer = kelvo::test::HttpGet(port, "/api/v1/query?query=" + encodedQuery, 5s);
    return answer && answer->status == 200 ? answer->body : std::string();
}

TEST(PrometheusScrape, ServerQueryReturnsTheSimulatedReadingFailuresAndAlarm) {
    ASSERT_TRUE(std::filesystem::exists(PROMETHEUS_PATH))
        << "Debian's prometheus is installed by scripts/install-deps";
    TemporaryDirectory folder;
    const std::filesystem::path monitorFolder = folder / "monitor";
    const std::filesystem::path data = folder / "data";
    std::filesystem::create_directories(monitorFolder);
    std::filesystem::copy_file(PLOTRA_PATH, monitorFolder / "Plotra5.ocx");

    const int metricsPort = kelvo::test::FreeLoopbackPort();
    const int serverPort = kelvo::test::FreeLoopbackPort();
    ASSERT_GT(metricsPort, 0);
    ASSERT_GT(serverPort, 0);
    ASSERT_NE(metricsPort, serverPort);
    const std::string target = "127.0.0.1:" + std::to_string(metricsPort);
    // Every reading above the band's top sets the alarm; its sound is missing.
    TemporaryDirectory::WriteFile(monitorFolder / "Config.ini",
                                  "[ConfigInfo]\nReadInterval=1\nUnit=C\nSoundAlarmInner=1\n"
                                  "SoundAlarmInnerLower=10.00\nSoundAlarmInnerUpper=20.00\n"
                                  "SoundAlarmInnerFile=missing.wav\n"
                                  "[Extensions]\nMetricsListen=" +
                                      target + "\n");
    TemporaryDirectory::WriteFile(folder / "prometheus.yml",
                                  "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                                  "scrape_configs:\n  - job_name: kelvomon\n"
                                  "    static_configs:\n      - targets: ['" +
                                      target + "']\n");

    ChildProcess monitor({KELVOMON_PATH}, monitorFolder,
                         {{"QT_QPA_PLATFORM", "offscreen"},
                          {"KELVOMON_SIMULATE", "1"},
                          {"KELVOMON_SIM_TEMPS", "23.5,err"},
                          {"KELVO_REGISTRY", (folder / "registry.ini").string()},
                          {"HOME", folder.Path().string()},
                          {"TSAN_OPTIONS", MonitorSanitizerOptions()}},
                         folder / "monitor.log");
    ASSERT_TRUE(WaitFor(
        [&] {
            const auto answer = kelvo::test::HttpGet(metricsPort, "/metrics", 2s);
            return answer && answer->body.find("kelvo_temperature_celsius{") != std::string::npos;
        },
        60s))
        << "the monitor serves no reading; its output:\n"
        << TemporaryDirectory::ReadFile(folder / "monitor.log");

    ChildProcess server({PROMETHEUS_PATH, "--config.file=" + (folder / "prometheus.yml").string(),
                         "--storage.tsdb.path=" + data.string(),
                         "--web.listen-address=127.0.0.1:" + std::to_string(serverPort)},
                        folder.Path(), {}, folder / "prometheus.log");
    std::string temperature;
    const bool scraped = WaitFor(
        [&] {
            temperature = Query(serverPort, "kelvo_temperature_celsius");
            return temperature.find(R"(,"23.5"])") != std::string::npos;
        },
        90s);
    EXPECT_TRUE(scraped) << temperature << "\nserver output:\n"
                         << TemporaryDirectory::ReadFile(folder / "prometheus.log");
    if (scraped) {
        EXPECT_THAT(temperature, HasSubstr(R"("device":"HID Device 01")"));
        EXPECT_THAT(temperature, HasSubstr(R"("probe":"inner")"));
        std::string failures;
        EXPECT_TRUE(WaitFor(
            [&] {
                // kelvo_reading_failures_total{kind="sensor"} > 0
                failures = Query(serverPort, "kelvo_reading_failures_total%7Bkind%3D%22sensor%22%7D"
                                             "%20%3E%200");
                return failures.find(R"("kind":"sensor")") != std::string::npos;
            },
            30s))
            << failures;
        std::string alarm;
        EXPECT_TRUE(WaitFor(
            [&] {
                alarm = Query(serverPort, "kelvo_alarm_active");
                return alarm.find(R"(,"1"])") != std::string::npos;
            },
            30s))
            << alarm;
    }
    EXPECT_TRUE(monitor.Running()) << "the monitor went on while it was scraped";

    EXPECT_EQ(server.Stop(), 0);
    EXPECT_EQ(monitor.Stop(), 0);
    std::filesystem::remove_all(data);
    EXPECT_FALSE(std::filesystem::exists(data));
}

TEST(HeadlessMonitor, TakenPortIsReportedAndTheMonitorStillEndsWhenTold) {
    const kelvo::test::HeldLoopbackPort held;
    ASSERT_GT(held.Port(), 0);
    TemporaryDirectory folder;
    std::filesystem::copy_file(PLOTRA_PATH, folder / "Plotra5.ocx");
    const std::string listen = "127.0.0.1:" + std::to_string(held.Port());
    const std::filesystem::path records = folder / "records";
    TemporaryDirectory::WriteFile(folder / "Config.ini",
                                  "[ConfigInfo]\nReadInterval=1\nAutoOrManual=1\nSaveInterval=1\n"
                                  "SaveFileDirectroy=" +
                                      records.string() + "\n[Extensions]\nMetricsListen=" + listen +
                                      "\n");
    ChildProcess monitor({KELVOMON_PATH}, folder.Path(),
                         {{"QT_QPA_PLATFORM", "offscreen"},
                          {"KELVOMON_SIMULATE", "1"},
                          {"KELVOMON_SIM_TEMPS", "20"},
                          {"KELVO_REGISTRY", (folder / "registry.ini").string()},
                          {"HOME", folder.Path().string()},
                          {"TSAN_OPTIONS", MonitorSanitizerOptions()}},
                         folder / "monitor.log");
    const std::string expected = "MetricsListen=" + listen + " cannot be bound";
    ASSERT_TRUE(WaitFor(
        [&] {
            return TemporaryDirectory::ReadFile(folder / "monitor.log").find(expected) !=
                   std::string::npos;
        },
        60s))
        << TemporaryDirectory::ReadFile(folder / "monitor.log");
    // Reading and recording go on behind the box that nobody can close; told
    // to end, the monitor ends and saves as a closed window does.
    EXPECT_TRUE(WaitFor(
        [&] {
            std::error_code error;
            return !std::filesystem::is_empty(records, error) && !error;
        },
        60s))
        << "no record row was written";
    EXPECT_TRUE(monitor.Running());
    EXPECT_EQ(monitor.Stop(), 0);
    const std::string saved = TemporaryDirectory::ReadFile(folder / "Config.ini");
    EXPECT_THAT(saved, HasSubstr("ReadInterval=1")) << saved;
    EXPECT_THAT(saved, HasSubstr("Unit=")) << "written back at the close:\n" << saved;
    EXPECT_THAT(saved, HasSubstr("MetricsListen=" + listen)) << saved;
}

} // namespace
