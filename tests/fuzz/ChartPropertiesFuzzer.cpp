#include "chart/ChartSettings.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// A host hands the chart its stored properties; a damaged stream must be
// refused or applied, never crash.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kelvo::ChartSettings settings;
    kelvo::ApplyProperties(text, &settings);
    return 0;
}
