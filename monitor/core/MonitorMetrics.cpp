#include "monitor/core/MonitorMetrics.h"

#include <prometheus/counter.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>

namespace kelvo {
namespace {

prometheus::Family<prometheus::Gauge>&
GaugeFamily(prometheus::Registry& registry, const std::string& name, const std::string& help) {
    return prometheus::BuildGauge().Name(name).Help(help).Register(registry);
}

prometheus::Family<prometheus::Counter>&
CounterFamily(prometheus::Registry& registry, const std::string& name, const std::string& help) {
    return prometheus::BuildCounter().Name(name).Help(help).Register(registry);
}

} // namespace

const char* MonitorVersion() {
    return KELVO_VERSION;
}

MonitorMetrics::MonitorMetrics(const std::string& version)
    : registry(std::make_shared<prometheus::Registry>()) {
    temperatureFamily = &GaugeFamily(*registry, "kelvo_temperature_celsius",
                                     "Last good reading in degrees Celsius, calibration applied");
    readings = &CounterFamily(*registry, "kelvo_readings_total", "Good readings taken").Add({});
    auto& failures = CounterFamily(*registry, "kelvo_reading_failures_total",
                                   "Readings that gave no temperature, by kind");
    transferFailures = &failures.Add({{"kind", "transfer"}});
    sensorFailures = &failures.Add({{"kind", "sensor"}});
    noDataFailures = &failures.Add({{"kind", "no_data"}});
    lastReading = &GaugeFamily(*registry, "kelvo_last_reading_timestamp_seconds",
                               "Unix time of the last good reading")
                       .Add({});
    alarmActive = &GaugeFamily(*registry, "kelvo_alarm_active",
                               "1 while the last reading handed on lies outside the sound-alarm "
                               "band, else 0")
                       .Add({});
    auto& reports = CounterFamily(*registry, "kelvo_mail_reports_total", "Mail reports by result");
    mailSent = &reports.Add({{"result", "sent"}});
    mailFailed = &reports.Add({{"result", "failed"}});
    thermometers = &GaugeFamily(*registry, "kelvo_thermometers", "Thermometers listed").Add({});
    GaugeFamily(*registry, "kelvo_build_info", "The monitor's version")
        .Add({{"version", version}})
        .Set(1);
}

MonitorMetrics::~MonitorMetrics() = default;

void MonitorMetrics::ReadingTaken(const std::string& device, double celsius, double unixSeconds) {
    // One series only: the thermometer read now, under its current name.
    if (temperature != nullptr && temperatureDevice != device) {
        ThermometerLost();
    }
    if (temperature == nullptr) {
        temperature = &temperatureFamily->Add({{"device", device}, {"probe", "inner"}});
        temperatureDevice = device;
    }
    temperature->Set(celsius);
    readings->Increment();
    lastReading->Set(unixSeconds);
}

void MonitorMetrics::ReadingFailed(ReadingKind kind) {
    switch (kind) {
    case ReadingKind::failure:
        transferFailures->Increment();
        break;
    case ReadingKind::sensorError:
        sensorFailures->Increment();
        break;
    case ReadingKind::noData:
        noDataFailures->Increment();
        break;
    case ReadingKind::temperature:
        break;
    }
}

void MonitorMetrics::ThermometerLost() {
    if (temperature != nullptr) {
        temperatureFamily->Remove(temperature);
        temperature = nullptr;
        temperatureDevice.clear();
    }
    alarmActive->Set(0);
}

void MonitorMetrics::ThermometersListed(int count) {
    thermometers->Set(count);
}

void MonitorMetrics::AlarmDecided(bool active) {
    alarmActive->Set(active ? 1 : 0);
}

void MonitorMetrics::MailReportFinished(bool sent) {
    (sent ? mailSent : mailFailed)->Increment();
}

std::string MonitorMetrics::ExpositionText() const {
    return prometheus::TextSerializer().Serialize(registry->Collect());
}

} // namespace kelvo
