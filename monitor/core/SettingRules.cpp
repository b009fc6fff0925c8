#include "monitor/core/SettingRules.h"

#include "monitor/core/TextNumbers.h"

#include <cmath>

namespace kelvo {
namespace {

constexpr double calibrationLimit = 11.0;
constexpr double storedCalibrationOffset = 20.0;
constexpr int fewestSaveItems = 1;
constexpr int mostSaveItems = 65535;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (LowerAscii(text[i]) != LowerAscii(prefix[i])) {
            return false;
        }
    }
    return true;
}

void AddStoredOffset(double offset, std::uint8_t& whole, std::uint8_t& tenths) {
    const double stored = offset + storedCalibrationOffset;
    const double floor = std::floor(stored);
    whole = static_cast<std::uint8_t>(static_cast<int>(floor));
    tenths = static_cast<std::uint8_t>(static_cast<int>(std::floor((stored - floor) * 10.0)));
}

} // namespace

bool IsValidCalibration(double offset) {
    return offset > -calibrationLimit && offset < calibrationLimit;
}

std::array<std::uint8_t, 5> CalibrationBytes(std::uint8_t typeCode, double inner, double outer) {
    std::array<std::uint8_t, 5> bytes{typeCode, 0, 0, 0, 0};
    AddStoredOffset(inner, bytes[1], bytes[2]);
    AddStoredOffset(outer, bytes[3], bytes[4]);
    return bytes;
}

SaveItemsEntry ReadSaveItems(std::string_view text) {
    const int typed = ReadInteger(text);
    if (typed < fewestSaveItems) {
        return {fewestSaveItems, std::to_string(fewestSaveItems)};
    }
    if (typed > mostSaveItems) {
        return {mostSaveItems, std::to_string(mostSaveItems)};
    }
    return {typed, {}};
}

int FindWaveEntry(const std::vector<std::string>& entries, std::string_view name) {
    const int count = static_cast<int>(entries.size());
    for (int index = 0; index < count; ++index) {
        const std::string& entry = entries[static_cast<std::size_t>(index)];
        if (entry.size() == name.size() && StartsWithIgnoringCase(entry, name)) {
            return index;
        }
    }
    for (int step = 0; step < count; ++step) {
        const int index = (step + 1) % count;
        if (StartsWithIgnoringCase(entries[static_cast<std::size_t>(index)], name)) {
            return index;
        }
    }
    return -1;
}

double CelsiusToFahrenheit(double celsius) {
    return celsius * 1.8 + 32.0;
}

double FahrenheitToCelsius(double fahrenheit) {
    return (fahrenheit - 32.0) / 1.8;
}

bool ChangeUnit(MonitorState& state, bool celsius) {
    const bool changes = celsius != state.isCelsius;
    state.isCelsius = celsius;
    // Before the first sample there is nothing in the old unit to convert.
    if (!changes || state.innerPending) {
        return false;
    }
    const auto convert = celsius ? FahrenheitToCelsius : CelsiusToFahrenheit;
    for (double* value : {&state.innerCurrent, &state.innerMax, &state.innerMin, &state.innerAvg,
                          &state.outerCurrent, &state.outerMax, &state.outerMin, &state.outerAvg}) {
        *value = convert(*value);
    }
    return true;
}

std::string WithTrailingSeparator(std::string path) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path;
}

std::string WithoutTrailingSeparator(std::string path) {
    if (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace kelvo
