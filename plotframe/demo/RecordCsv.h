#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// One row of a monitor's record file, as a point for the chart.
struct RecordPoint {
    int number = 0;
    std::string time; // "HH:MM:SS" of the row's date and time
    double inner = 0; // in the row's unit
    char unit = 'C';  // 'C' or 'F'
};

struct RecordReadResult {
    std::vector<RecordPoint> points;
    // Rows that are neither the header nor a reading ("1,2011-03-05 09:07:02,25.00 C,0.00 C").
    std::size_t skipped = 0;
};

// Reads the rows of a record file: "NO,DateTime,Inner,Outer," header lines are
// passed over, line ends may be CR LF or LF, and a damaged row costs only itself.
RecordReadResult ReadRecordRows(std::string_view text);

} // namespace kelvo
