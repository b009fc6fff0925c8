#pragma once

#include "monitor/core/MonitorState.h"

#include <string>
#include <string_view>

namespace kelvo {

// The stored form of one e-mail configuration row: eleven fields, each followed
// by this terminator, the last one too. Nothing in a field is escaped.
inline constexpr std::string_view rowTerminator = "|^|";

// What rows 1 and 2 hold in a configuration file without them; the password is
// "Sample-Pass1" in Base64.
inline constexpr std::string_view sampleMailRow =
    "smtp.example.com|^|monitor@example.com|^|monitor|^|alerts@example.com|^|[Kelvo]|^|"
    "1|^|1|^|1|^|1.00|^|1.00|^|U2FtcGxlLVBhc3Mx|^|";

// Takes the text before the next terminator off the front of rest, the
// terminator with it. Without a terminator in rest, gives the empty text and
// leaves rest as it is.
std::string NextRowField(std::string& rest);

// Reads a stored row into row index of rows: text fields as they are, numbers
// as ReadInteger and ReadReal read them, flags true exactly for "1", the
// password Base64-decoded. Fields after the last terminator stay empty or
// zero. An index outside the ten rows changes nothing.
void ParseMailRow(MailConfigRows& rows, std::string_view row, int index);

// The stored form of row index of rows; empty for an index outside the ten rows.
std::string FormatMailRow(const MailConfigRows& rows, int index);

// The row that mailRowIndex selects, for every place that indexes the rows:
// mailRowIndex is kept as the file gave it, and a value outside 0..9 means row 0.
int ActiveMailRow(const MonitorState& state);

} // namespace kelvo
