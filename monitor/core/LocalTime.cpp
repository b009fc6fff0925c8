#include "monitor/core/LocalTime.h"

namespace kelvo {

std::tm LocalTime(std::time_t time) {
    std::tm local{};
    // localtime_r: the sampling worker and the user-interface thread both
    // format times, and localtime's shared buffer would race.
    if (::localtime_r(&time, &local) == nullptr) {
        local = std::tm{};
    }
    return local;
}

std::string FormatLocalTime(std::time_t time, const char* format) {
    const std::tm local = LocalTime(time);
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, format, &local);
    return std::string(text, length);
}

} // namespace kelvo
