#include "plotframe/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kelvo {

namespace {

std::string ShortText(double value) {
    // -0 prints as 0, as the conversions give it.
    if (value == 0)
        value = 0;
    char text[48];
    const auto written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    std::string result(text, written.ptr);
    std::replace(result.begin(), result.end(), 'e', 'E');
    return result;
}

} // namespace

std::string BlankNumberText(double value) {
    const std::string text = ShortText(value);
    return text.front() == '-' ? text : " " + text;
}

std::string LocaleNumberText(double value, char decimalPoint) {
    std::string text = ShortText(value);
    std::replace(text.begin(), text.end(), '.', decimalPoint);
    return text;
}

} // namespace kelvo
