#pragma once

#include <string>

namespace kelvo {

// The counting, conversion and statistics rules of the sampling cycle, kept
// free of windows and threads.

// One tick of a timer counting towards limit: true when this tick is due, and
// the counter starts again from 1.
bool CountTick(int& counter, int limit);

inline constexpr double sensorErrorReading = -100.0;

// What one reading of the thermometer stands for.
enum class ReadingKind {
    temperature, // degrees Celsius
    // Skipped samples: reading goes on, and they reach neither the statistics
    // nor the chart, the table, the record file, the alarm or the mail; only
    // the sensor error shows a message.
    sensorError, // the probe reports a fault (-100.0)
    noData,      // an empty answer (777.0), which a genuine 0.0 degrees also gives
    // The exchange itself failed (888.0, 999.0): the thermometer is gone.
    failure,
};
ReadingKind ClassifyReading(double reading);

// A Celsius reading in the display unit, with the calibration (already in the
// display unit) added.
double DisplayTemperature(double celsius, bool isCelsius, double calibration);

// "25.50 C" or "77.90 F": how every reading is shown and written.
std::string FormatTemperature(double value, bool isCelsius);

// Maximum, minimum and a running half-weight average of the readings.
struct Statistics {
    bool& pending;
    double& maximum;
    double& minimum;
    double& average;

    void Add(double value) const;
};

// A value outside the band sounds the alarm; one equal to a bound does not.
bool IsOutsideBand(double value, double lower, double upper);

} // namespace kelvo
