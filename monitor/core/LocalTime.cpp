#include "monitor/core/LocalTime.h"

namespace kelvo {

std::string FormatLocalTime(std::time_t time, const char* format) {
    std::tm local{};
    // localtime_r: the sampling worker and the user-interface thread both
    // format times, and localtime's shared buffer would race.
    ::localtime_r(&time, &local);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

} // namespace kelvo
