#include "monitor/device/ReportDescriptor.h"

#include <cstddef>
#include <cstdint>

// Report descriptors come from the device: a broken or hostile one must be
// refused, never read past its end.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto collections = kelvo::ParseReportDescriptor({data, size});
    if (!collections) {
        return 0;
    }
    if (collections->empty()) {
        __builtin_trap();
    }
    for (const kelvo::TopLevelCollection& collection : *collections) {
        // A report that exists holds its ID byte and at least one data byte.
        for (const std::uint16_t length :
             {collection.inputReportLength, collection.outputReportLength,
              collection.featureReportLength}) {
            if (length == 1) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
