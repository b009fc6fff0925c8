#include "monitor/device/ReportDescriptor.h"

#include <algorithm>
#include <map>

namespace kelvo {

namespace {

// Item types and tags of the HID 1.11 report descriptor (section 6.2.2).
enum ItemType : std::uint8_t { mainItem = 0, globalItem = 1, localItem = 2 };

enum MainTag : std::uint8_t {
    inputTag = 0x8,
    outputTag = 0x9,
    collectionTag = 0xA,
    featureTag = 0xB,
    endCollectionTag = 0xC,
};

enum GlobalTag : std::uint8_t {
    usagePageTag = 0x0,
    reportSizeTag = 0x7,
    reportIdTag = 0x8,
    reportCountTag = 0x9,
    pushTag = 0xA,
    popTag = 0xB,
};

enum LocalTag : std::uint8_t { usageTag = 0x0 };

constexpr std::uint8_t longItemPrefix = 0xFE;
// Deeper nesting than this is no device's; it only costs memory.
constexpr std::size_t maximumDepth = 64;
// The largest report whose length plus the ID byte fits in 16 bits.
constexpr std::uint64_t maximumReportBits = 0xFFFEull * 8;

struct GlobalState {
    std::uint32_t usagePage = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

// Bits of each report, by report ID, within one top-level collection.
struct ReportBits {
    std::map<std::uint32_t, std::uint64_t> input;
    std::map<std::uint32_t, std::uint64_t> output;
    std::map<std::uint32_t, std::uint64_t> feature;
};

std::uint16_t LongestReport(const std::map<std::uint32_t, std::uint64_t>& reports) {
    std::uint64_t longest = 0;
    for (const auto& [id, bits] : reports) {
        longest = std::max(longest, bits);
    }
    // Whole bytes, plus the report-ID byte that Windows always counts.
    return longest == 0 ? 0 : static_cast<std::uint16_t>((longest + 7) / 8 + 1);
}

} // namespace

std::optional<std::vector<TopLevelCollection>>
ParseReportDescriptor(std::span<const std::uint8_t> descriptor) {
    std::vector<TopLevelCollection> collections;
    std::vector<GlobalState> globalStack;
    GlobalState global;
    std::vector<std::uint32_t> usages;
    std::size_t depth = 0;
    ReportBits bits;

    std::size_t position = 0;
    while (position < descriptor.size()) {
        const std::uint8_t prefix = descriptor[position];
        if (prefix == longItemPrefix) {
            // No long item tag is defined; skip its data.
            if (descriptor.size() - position < 3) {
                return std::nullopt;
            }
            const std::size_t dataSize = descriptor[position + 1];
            if (descriptor.size() - position - 3 < dataSize) {
                return std::nullopt;
            }
            position += 3 + dataSize;
            continue;
        }
        const std::size_t size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        const auto type = static_cast<std::uint8_t>((prefix >> 2) & 0x3);
        const auto tag = static_cast<std::uint8_t>(prefix >> 4);
        if (descriptor.size() - position - 1 < size) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (std::size_t byte = 0; byte < size; ++byte) {
            value |= static_cast<std::uint32_t>(descriptor[position + 1 + byte]) << (8 * byte);
        }
        position += 1 + size;

        if (type == globalItem) {
            switch (tag) {
            case usagePageTag:
                global.usagePage = value;
                break;
            case reportSizeTag:
                global.reportSize = value;
                break;
            case reportCountTag:
                global.reportCount = value;
                break;
            case reportIdTag:
                if (value == 0 || value > 0xFF) {
                    return std::nullopt;
                }
                global.reportId = value;
                break;
            case pushTag:
                if (globalStack.size() >= maximumDepth) {
                    return std::nullopt;
                }
                globalStack.push_back(global);
                break;
            case popTag:
                if (globalStack.empty()) {
                    return std::nullopt;
                }
                global = globalStack.back();
                globalStack.pop_back();
                break;
            default:
                // Logical and physical ranges and units do not change lengths.
                break;
            }
        } else if (type == localItem) {
            if (tag == usageTag) {
                // A four-byte usage carries its own page in the upper half.
                usages.push_back(size == 4 ? value : (global.usagePage << 16) | (value & 0xFFFF));
            }
        } else if (type == mainItem) {
            switch (tag) {
            case collectionTag:
                if (depth >= maximumDepth) {
                    return std::nullopt;
                }
                if (depth == 0) {
                    const std::uint32_t usage =
                        usages.empty() ? global.usagePage << 16 : usages.front();
                    TopLevelCollection collection;
                    collection.usagePage = static_cast<std::uint16_t>(usage >> 16);
                    collection.usage = static_cast<std::uint16_t>(usage & 0xFFFF);
                    collections.push_back(collection);
                    bits = {};
                }
                ++depth;
                break;
            case endCollectionTag:
                if (depth == 0) {
                    return std::nullopt;
                }
                --depth;
                break;
            case inputTag:
            case outputTag:
            case featureTag: {
                // Reports outside every collection belong to none.
                if (depth == 0) {
                    break;
                }
                auto& reports = tag == inputTag    ? bits.input
                                : tag == outputTag ? bits.output
                                                   : bits.feature;
                std::uint64_t& total = reports[global.reportId];
                total += static_cast<std::uint64_t>(global.reportSize) * global.reportCount;
                if (total > maximumReportBits) {
                    return std::nullopt;
                }
                TopLevelCollection& collection = collections.back();
                collection.inputReportLength = LongestReport(bits.input);
                collection.outputReportLength = LongestReport(bits.output);
                collection.featureReportLength = LongestReport(bits.feature);
                break;
            }
            default:
                break;
            }
            // Local items apply to the one main item that follows them.
            usages.clear();
        }
        // Items of the reserved type carry nothing we need; their size was
        // honoured above.
    }
    if (depth != 0 || collections.empty()) {
        return std::nullopt;
    }
    return collections;
}

} // namespace kelvo
