#include "chart/ChartFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

// A chart file comes from anywhere a user keeps files: it must be refused or
// read, never crash, and what reads must write back to a file that reads the
// same, so nothing a chart holds is lost on the way.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    kelvo::ChartModel model;
    if (kelvo::Failed(kelvo::ReadChartFile(bytes, &model)))
        return 0;
    const std::string written = kelvo::ChartFileText(model);
    kelvo::ChartModel again;
    if (kelvo::ReadChartFile(written, &again) != kelvo::results::Ok ||
        kelvo::ChartFileText(again) != written)
        std::abort();
    return 0;
}
