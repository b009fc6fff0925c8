#pragma once

#include "monitor/core/MonitorState.h"

#include <ctime>
#include <string>

namespace kelvo {

// Local date and time as the table page and the record files show it:
// "%Y-%m-%d %H:%M:%S".
std::string FormatLocalDateTime(std::time_t time);

// The name of a record file started at time, from its local date and time
// without zero padding: "2011Y3m5d9H7M2S.csv".
std::string MakeRecordFileName(std::time_t time);

// Appends one row with the current readings, stamped with now, to the
// current record file, starting the next file after saveItems rows. The file
// is open only while the row is written. False when nothing was written; the
// row number is used up all the same and the next row tries again. A row
// that cannot be written whole is taken back, so the file keeps whole lines.
bool WriteRecordRow(MonitorState& state, std::time_t now);

// The line that tells the user when record rows start being lost (row, file
// and reason) and when they are written again.
std::string RecordLostNote(const MonitorState& state, std::time_t now, int error);
std::string RecordResumedNote(const MonitorState& state, std::time_t now);

} // namespace kelvo
