#pragma once

#include <string>

namespace kelvo {

// The counting, conversion and statistics rules of the sampling cycle, kept
// free of windows and threads.

// One tick of a timer counting towards limit: true when this tick is due, and
// the counter starts again from 1.
bool CountTick(int& counter, int limit);

// Readings that stand for a failed exchange rather than a temperature.
bool IsReadFailure(double reading);
inline constexpr double sensorErrorReading = -100.0;

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
