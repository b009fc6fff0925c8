#include "monitor/core/MailConfigRow.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Mail rows come from Config.ini, which the user may have edited.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string row(reinterpret_cast<const char*>(data), size);
    kelvo::MailConfigRows rows;
    kelvo::ParseMailRow(rows, row, 0);
    // Once read, a row is stored in a form that reads back to itself.
    const std::string stored = kelvo::FormatMailRow(rows, 0);
    kelvo::ParseMailRow(rows, stored, 1);
    if (kelvo::FormatMailRow(rows, 1) != stored) {
        __builtin_trap();
    }
    return 0;
}
