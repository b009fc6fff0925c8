#pragma once

#include <ctime>
#include <string>

namespace kelvo {

// time in the local time zone; thread-safe, unlike localtime.
std::tm LocalTime(std::time_t time);

// time in the local time zone, formatted with strftime's format.
std::string FormatLocalTime(std::time_t time, const char* format);

} // namespace kelvo
