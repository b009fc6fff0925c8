#include "monitor/core/AlarmNotice.h"

#include "monitor/core/TextNumbers.h"

namespace kelvo {
namespace {

const char* Unit(const AlarmEvent& event) {
    return event.celsius ? "C" : "F";
}

} // namespace

std::string NoticeSummary(const AlarmEvent& event) {
    return event.alarm ? "Temperature alarm" : "Temperature back in band";
}

std::string NoticeBody(const AlarmEvent& event) {
    const char* where = !event.alarm                ? "is back in"
                        : event.value > event.upper ? "is above"
                                                    : "is below";
    std::string body = FormatFixed2(event.value) + " " + Unit(event) + " " + where +
                       " the alarm band " + FormatFixed2(event.lower) + " to " +
                       FormatFixed2(event.upper) + " " + Unit(event);
    return event.device.empty() ? body : event.device + ": " + body;
}

std::vector<std::pair<std::string, std::string>> CommandEnvironment(const AlarmEvent& event) {
    return {
        {"KELVO_STATE", event.alarm ? "alarm" : "clear"},
        {"KELVO_VALUE", FormatFixed2(event.value)},
        {"KELVO_UNIT", Unit(event)},
        {"KELVO_LOWER", FormatFixed2(event.lower)},
        {"KELVO_UPPER", FormatFixed2(event.upper)},
        {"KELVO_DEVICE", event.device},
    };
}

} // namespace kelvo
