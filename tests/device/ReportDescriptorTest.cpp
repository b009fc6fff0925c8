#include "monitor/device/ReportDescriptor.h"
#include "tests/support/CaseName.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kelvo {
namespace {

struct DescriptorCase {
    const char* name;
    std::vector<std::uint8_t> descriptor;
    std::optional<std::vector<TopLevelCollection>> collections;
};

std::ostream& operator<<(std::ostream& stream, const DescriptorCase& example) {
    return stream << example.name;
}

class ReportDescriptorTest : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(ReportDescriptorTest, FindsTheTopLevelCollectionsAndTheirReportLengths) {
    const DescriptorCase& example = GetParam();
    EXPECT_EQ(ParseReportDescriptor(example.descriptor), example.collections);
}

// Item prefixes used below.
constexpr std::uint8_t usagePage = 0x05, usage = 0x09, collection = 0xA1, endCollection = 0xC0,
                       reportSize = 0x75, reportCount = 0x95, reportId = 0x85, input = 0x81,
                       output = 0x91, feature = 0xB1, push = 0xA4, pop = 0xB4;

// The thermometer's command interface: 8-byte output reports, 256-byte
// feature reports, no report IDs.
const std::vector<std::uint8_t> thermometer{
    usagePage, 0x01, usage,      0x03, collection,  0x01, 0x15,    0x00, 0x26,
    0xFF,      0x00, reportSize, 0x08, reportCount, 0x08, usage,   0x03, output,
    0x02,      0x96, 0x00,       0x01, usage,       0x03, feature, 0x02, endCollection};

INSTANTIATE_TEST_SUITE_P(
    Descriptors, ReportDescriptorTest,
    ::testing::Values(
        DescriptorCase{"thermometer", thermometer, {{{0x0001, 0x0003, 0, 9, 257}}}},
        DescriptorCase{"report IDs: the longest report plus its ID byte",
                       {usagePage,   0x01, usage,       0x00, collection,   0x01, reportSize,  0x08,
                        reportId,    0x01, reportCount, 0x04, output,       0x02, reportId,    0x02,
                        reportCount, 0x10, output,      0x02, reportId,     0x01, reportCount, 0x02,
                        output,      0x02, input,       0x02, endCollection},
                       {{{0x0001, 0x0000, 3, 17, 0}}}},
        DescriptorCase{"bits round up to whole bytes",
                       {usagePage, 0x08, usage, 0x01, collection, 0x01, reportSize, 0x01,
                        reportCount, 0x03, output, 0x02, endCollection},
                       {{{0x0008, 0x0001, 0, 2, 0}}}},
        DescriptorCase{"push and pop restore the usage page and report size",
                       {usagePage, 0x01, reportSize, 0x08, push, usagePage, 0x0C, reportSize, 0x10,
                        pop, usage, 0x03, collection, 0x01, reportCount, 0x02, output, 0x02,
                        endCollection},
                       {{{0x0001, 0x0003, 0, 3, 0}}}},
        DescriptorCase{
            "nested collections count for their top-level one",
            {usagePage,     0x01,        usage,      0x02,    collection,    0x01,
             usage,         0x01,        collection, 0x00,    reportSize,    0x08,
             reportCount,   0x03,        input,      0x02,    collection,    0x02,
             reportCount,   0x05,        output,     0x02,    endCollection, endCollection,
             endCollection, usagePage,   0x0C,       usage,   0x01,          collection,
             0x01,          reportCount, 0x01,       feature, 0x02,          endCollection},
            {{{0x0001, 0x0002, 4, 6, 0}, {0x000C, 0x0001, 0, 0, 2}}}},
        DescriptorCase{"a four-byte usage carries its page; long items are skipped",
                       {0x0B, 0x03, 0x00, 0x01, 0x00, 0xFE, 0x02, 0x10, 0xAA, 0xBB, collection,
                        0x01, reportSize, 0x08, reportCount, 0x01, output, 0x02, endCollection},
                       {{{0x0001, 0x0003, 0, 2, 0}}}},
        DescriptorCase{"reports outside every collection belong to none",
                       {reportSize, 0x08, reportCount, 0x04, output, 0x02, usagePage, 0x01, usage,
                        0x03, collection, 0x01, endCollection},
                       {{{0x0001, 0x0003, 0, 0, 0}}}},
        DescriptorCase{"empty", {}, std::nullopt},
        DescriptorCase{"short item cut off", {usagePage}, std::nullopt},
        DescriptorCase{"four-byte item cut off", {0x07, 0x01, 0x00}, std::nullopt},
        DescriptorCase{"long item cut off", {0xFE, 0x05, 0x00, 0x01}, std::nullopt},
        DescriptorCase{"long item header cut off", {0xFE, 0x05}, std::nullopt},
        DescriptorCase{"end collection without collection", {endCollection}, std::nullopt},
        DescriptorCase{
            "collection left open", {usagePage, 0x01, usage, 0x03, collection, 0x01}, std::nullopt},
        DescriptorCase{"pop without push", {pop}, std::nullopt},
        DescriptorCase{"report ID 0",
                       {usage, 0x03, collection, 0x01, reportId, 0x00, endCollection},
                       std::nullopt},
        DescriptorCase{"no collection", {usagePage, 0x01, reportSize, 0x08}, std::nullopt},
        DescriptorCase{"a report longer than a 16-bit length",
                       {usage, 0x03, collection, 0x01, reportSize, 0x20, 0x97, 0xFF, 0xFF, 0xFF,
                        0xFF, output, 0x02, endCollection},
                       std::nullopt}),
    [](const auto& info) { return testing::CaseName(info.param.name); });

TEST(ReportDescriptorDepthTest, NestingBeyondAnyDeviceIsRefused) {
    std::vector<std::uint8_t> descriptor;
    for (int depth = 0; depth < 100; ++depth) {
        descriptor.insert(descriptor.end(), {collection, 0x00});
    }
    descriptor.insert(descriptor.end(), 100, endCollection);
    EXPECT_EQ(ParseReportDescriptor(descriptor), std::nullopt);
    std::vector<std::uint8_t> pushes(100, push);
    EXPECT_EQ(ParseReportDescriptor(pushes), std::nullopt);
}

} // namespace
} // namespace kelvo
