#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kelvo {

// One top-level collection of a HID report descriptor. Report lengths are in
// bytes and count the report-ID byte, as Windows gives them; 0 when the
// collection has no report of that kind.
struct TopLevelCollection {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t inputReportLength = 0;
    std::uint16_t outputReportLength = 0;
    std::uint16_t featureReportLength = 0;
    friend bool operator==(const TopLevelCollection&, const TopLevelCollection&) = default;
};

// The top-level collections of a report descriptor, in order. Nothing when
// the descriptor is malformed: an item cut short, an unbalanced collection or
// pop, report ID 0, a report longer than 16 bits of bytes can count, or no
// top-level collection at all.
std::optional<std::vector<TopLevelCollection>>
ParseReportDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace kelvo
