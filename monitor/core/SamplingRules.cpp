#include "monitor/core/SamplingRules.h"

#include "monitor/core/TextNumbers.h"

namespace kelvo {

bool CountTick(int& counter, int limit) {
    const int old = counter;
    counter = old + 1;
    if (old >= limit) {
        counter = 1;
        return true;
    }
    return false;
}

ReadingKind ClassifyReading(double reading) {
    // The stand-in values are exact: no decoded temperature reaches them.
    if (reading == 888.0 || reading == 999.0) {
        return ReadingKind::failure;
    }
    if (reading == 777.0) {
        // A thermometer in ice water answers 0x00 0x00 again and again; losing
        // the device over it would stop the monitor where it matters most.
        return ReadingKind::noData;
    }
    return reading == sensorErrorReading ? ReadingKind::sensorError : ReadingKind::temperature;
}

double DisplayTemperature(double celsius, bool isCelsius, double calibration) {
    const double value = isCelsius ? celsius : celsius * 1.8 + 32.0;
    return value + calibration;
}

std::string FormatTemperature(double value, bool isCelsius) {
    return FormatFixed2(value) + (isCelsius ? " C" : " F");
}

void Statistics::Add(double value) const {
    if (pending) {
        pending = false;
        maximum = minimum = average = value;
        return;
    }
    if (value > maximum) {
        maximum = value;
    }
    if (value < minimum) {
        minimum = value;
    }
    average = (value + average) / 2.0;
}

bool IsOutsideBand(double value, double lower, double upper) {
    return value < lower || value > upper;
}

} // namespace kelvo
