#pragma once

#include <string>

namespace kelvo {

// The two conversions of numbers to text that the frame's texts use, both with
// up to 15 significant digits, an exponent as "E+16" when needed:
// a blank before a number that is not negative, and always a point ("Str").
std::string BlankNumberText(double value);
// no blank, and the given decimal separator ("CStr" under a locale).
std::string LocaleNumberText(double value, char decimalPoint);

} // namespace kelvo
