#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kelvo {

// One crossing of the alarm band, as the notices tell it.
struct AlarmEvent {
    bool alarm = true; // false: back in band (clear)
    double value = 0.0;
    bool celsius = true;
    double lower = 0.0;
    double upper = 0.0;
    std::string device; // as the window's device list names it
};

// "Temperature alarm" or "Temperature back in band".
std::string NoticeSummary(const AlarmEvent& event);

// "HID Device 01: 31.25 C is above the alarm band 10.00 to 30.00 C", or
// "... is below ...", "... is back in ...".
std::string NoticeBody(const AlarmEvent& event);

// KELVO_STATE (alarm or clear), KELVO_VALUE, KELVO_UNIT (C or F),
// KELVO_LOWER, KELVO_UPPER and KELVO_DEVICE, values with two decimals.
std::vector<std::pair<std::string, std::string>> CommandEnvironment(const AlarmEvent& event);

} // namespace kelvo
