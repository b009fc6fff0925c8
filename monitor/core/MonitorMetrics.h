#pragma once

#include "monitor/core/SamplingRules.h"

#include <memory>
#include <string>

namespace prometheus {
class Counter;
class Gauge;
template <typename T> class Family;
class Registry;
} // namespace prometheus

namespace kelvo {

// The monitor's version, as the build names it.
const char* MonitorVersion();

// The monitor's metrics for Prometheus, held in their own registry. The window
// sets them on its thread where the values change; a scrape reads them from
// the endpoint's threads, which the library's atomic values and family locks
// make safe, and never waits for a reading.
class MonitorMetrics {
public:
    explicit MonitorMetrics(const std::string& version);
    ~MonitorMetrics();
    MonitorMetrics(const MonitorMetrics&) = delete;
    MonitorMetrics& operator=(const MonitorMetrics&) = delete;

    // A good reading of `device` (its name in the thermometer list), in degrees
    // Celsius with the calibration applied, taken at `unixSeconds`.
    void ReadingTaken(const std::string& device, double celsius, double unixSeconds);
    // A reading that gave no temperature, counted by its kind; a temperature
    // counts nothing here.
    void ReadingFailed(ReadingKind kind);
    // The temperature is gone until the next good reading; so is an alarm.
    void ThermometerLost();
    void ThermometersListed(int count);
    void AlarmDecided(bool active);
    void MailReportFinished(bool sent);

    // Every metric in the text exposition format, as a scrape sees it.
    std::string ExpositionText() const;

    std::shared_ptr<prometheus::Registry> Registry() const { return registry; }

private:
    std::shared_ptr<prometheus::Registry> registry;
    // The series live in the registry's families; these point at them.
    prometheus::Family<prometheus::Gauge>* temperatureFamily = nullptr;
    prometheus::Gauge* temperature = nullptr; // the thermometer read, while it reads
    std::string temperatureDevice;
    prometheus::Counter* readings = nullptr;
    prometheus::Counter* transferFailures = nullptr;
    prometheus::Counter* sensorFailures = nullptr;
    prometheus::Counter* noDataFailures = nullptr;
    prometheus::Gauge* lastReading = nullptr;
    prometheus::Gauge* alarmActive = nullptr;
    prometheus::Counter* mailSent = nullptr;
    prometheus::Counter* mailFailed = nullptr;
    prometheus::Gauge* thermometers = nullptr;
};

} // namespace kelvo
