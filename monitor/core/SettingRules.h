#pragma once

#include "monitor/core/MonitorState.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The decisions of the settings page, kept free of windows.

// An offset the thermometer can hold: above -11 and below 11.
bool IsValidCalibration(double offset);

// The five bytes of a configuration write: the type code, then for each
// offset the whole part and the tenths digit of offset + 20, both rounded
// down. The tenths come from the double difference as it is, so 0.7 gives
// 20 and 6: the device has always been written this way.
std::array<std::uint8_t, 5> CalibrationBytes(std::uint8_t typeCode, double inner, double outer);

// Rows per record file as typed: the leading number, held to 1..65535. When
// the text does not say the value kept (0, no number, a negative number, or
// above 65535), correctedText holds what the field must show instead.
struct SaveItemsEntry {
    int value = 1;
    std::string correctedText;
};
SaveItemsEntry ReadSaveItems(std::string_view text);

// The wave list entry that a stored name selects, or -1 for none. An entry
// equal to the name, ignoring case, wins; otherwise the first entry that
// begins with it, ignoring case, searching from the second entry and
// wrapping round to the first, as the list's own search does.
int FindWaveEntry(const std::vector<std::string>& entries, std::string_view name);

double CelsiusToFahrenheit(double celsius);
double FahrenheitToCelsius(double fahrenheit);

// Sets the display unit. Once the first inner sample has arrived, a change of
// unit also converts the current values and statistics of both probes; true
// when it did, and their display is then out of date.
bool ChangeUnit(MonitorState& state, bool celsius);

// The path with "/" added, unless it ends in one already.
std::string WithTrailingSeparator(std::string path);
// The path with one trailing "/" removed, unless it is the root itself.
std::string WithoutTrailingSeparator(std::string path);

} // namespace kelvo
