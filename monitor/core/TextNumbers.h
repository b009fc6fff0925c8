#pragma once

#include <string>
#include <string_view>

namespace kelvo {

// Numbers in stored and typed texts, read and written the same way whatever the
// locale, so that a file written under one locale reads the same under another.

// The integer at the start of text: leading blanks, an optional sign and the
// digits that follow; 0 when there are no digits. Values beyond int are held
// at its limits.
int ReadInteger(std::string_view text);

// The real number at the start of text: leading blanks, an optional sign,
// digits with an optional decimal part ("." as the point) and exponent; 0 when
// there is no such start, and 0 for a value beyond double.
double ReadReal(std::string_view text);

// Flags are stored as "1" and "0"; only "1" reads as true.
bool ReadFlag(std::string_view text);
const char* FormatFlag(bool value);

// value with two decimals and "." as the point, as "%0.2f" in the C locale.
std::string FormatFixed2(double value);
// The same with one decimal, as "%0.1f".
std::string FormatFixed1(double value);

} // namespace kelvo
