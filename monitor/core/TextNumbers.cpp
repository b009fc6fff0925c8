#include "monitor/core/TextNumbers.h"

#include <charconv>
#include <limits>

namespace kelvo {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipDigits(std::string_view text, std::size_t position) {
    while (position < text.size() && IsDigit(text[position])) {
        ++position;
    }
    return position;
}

std::size_t SkipBlanks(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size() && IsBlank(text[position])) {
        ++position;
    }
    return position;
}

} // namespace

int ReadInteger(std::string_view text) {
    std::size_t start = SkipBlanks(text);
    const bool negative = start < text.size() && text[start] == '-';
    if (start < text.size() && (text[start] == '-' || text[start] == '+')) {
        ++start;
    }
    const std::size_t end = SkipDigits(text, start);
    long long magnitude = 0;
    if (std::from_chars(text.data() + start, text.data() + end, magnitude).ec ==
        std::errc::result_out_of_range) {
        return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

double ReadReal(std::string_view text) {
    std::size_t start = SkipBlanks(text);
    const bool negative = start < text.size() && text[start] == '-';
    if (start < text.size() && (text[start] == '-' || text[start] == '+')) {
        ++start;
    }
    // Only digits and a point may start the number: from_chars alone would
    // also take "inf" and "nan", which no reader of these files expects.
    std::size_t end = SkipDigits(text, start);
    bool digits = end > start;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fraction = SkipDigits(text, end + 1);
        digits = digits || fraction > end + 1;
        end = fraction;
    }
    if (!digits) {
        return 0.0;
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '-' || text[exponent] == '+')) {
            ++exponent;
        }
        const std::size_t exponentEnd = SkipDigits(text, exponent);
        if (exponentEnd > exponent) {
            end = exponentEnd;
        }
    }
    double value = 0.0;
    if (std::from_chars(text.data() + start, text.data() + end, value).ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

bool ReadFlag(std::string_view text) {
    return text == "1";
}

const char* FormatFlag(bool value) {
    return value ? "1" : "0";
}

namespace {

std::string FormatFixed(double value, int decimals) {
    // Enough for the widest double in fixed notation (309 digits before the point).
    char buffer[400];
    char* end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals)
            .ptr;
    return std::string(buffer, end);
}

} // namespace

std::string FormatFixed2(double value) {
    return FormatFixed(value, 2);
}

std::string FormatFixed1(double value) {
    return FormatFixed(value, 1);
}

} // namespace kelvo
