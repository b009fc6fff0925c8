#include "chart/PointStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace kelvo {
namespace {

TEST(LabelTableTest, TimesPackAndOtherTextsAreSharedAndAllRoundTrip) {
    LabelTable table;
    struct Case {
        const char* text;
        bool packed;
    };
    for (const Case& test : {Case{"00:00:00", true}, Case{"23:59:59", true}, Case{"07:05:09", true},
                             Case{"24:00:00", false}, Case{"7:05:09", false},
                             Case{"12:60:00", false}, Case{"12.5", false}, Case{"", true}}) {
        const std::uint32_t code = table.Encode(test.text);
        EXPECT_EQ(table.Decode(code), test.text);
        EXPECT_EQ(code <= 24 * 3600, test.packed) << test.text;
    }
    EXPECT_EQ(table.Encode("12.5"), table.Encode("12.5"));
    EXPECT_NE(table.Encode("12.5"), table.Encode("12.6"));
}

TEST(PointStoreTest, KeepsPointsAcrossChunksAndTracksExtremes) {
    PointStore store;
    constexpr std::size_t Count = 10000; // several chunks
    for (std::size_t i = 0; i < Count; ++i)
        EXPECT_EQ(store.Append(static_cast<double>(i), std::sin(i * 0.01) * 50, "12:00:00"), i);
    EXPECT_EQ(store.Count(), Count);
    EXPECT_TRUE(store.Ascending());
    EXPECT_TRUE(store.HasLabels());
    EXPECT_EQ(store.X(4097), 4097.0);
    EXPECT_EQ(store.Y(4097), std::sin(4097 * 0.01) * 50);
    EXPECT_EQ(store.Label(9999), "12:00:00");
    EXPECT_EQ(store.LowerBound(4096.5), 4097u);
    EXPECT_EQ(store.LowerBound(-1), 0u);
    EXPECT_EQ(store.LowerBound(1e9), Count);
    // Searching from a start and outwards from a guess finds the same index,
    // whether the guess is right, short, long or outside the points.
    for (double x : {-1.0, 0.0, 63.5, 4096.0, 9998.5, 1e9})
        for (std::size_t guess : {std::size_t{0}, std::size_t{1}, std::size_t{4096},
                                  std::size_t{9999}, Count, Count + 50}) {
            const std::size_t expected = store.LowerBound(x);
            EXPECT_EQ(store.LowerBound(0, guess, x), expected) << x << " from " << guess;
            EXPECT_EQ(store.LowerBound(std::min(expected, std::size_t{3}), x), expected) << x;
        }
    EXPECT_EQ(store.LowerBound(500, 10, 20.0), 500u); // never before the start

    // Ranges that start and end inside blocks, span blocks and chunks.
    for (auto [first, last] : {std::pair<std::size_t, std::size_t>{0, 1},
                               {3, 70},
                               {60, 4200},
                               {4095, 4097},
                               {0, Count},
                               {130, 192},
                               {5, 13},
                               {8, 72},
                               {9, 4103}}) {
        double minimum = 0;
        double maximum = 0;
        store.RangeY(first, last, &minimum, &maximum);
        double expectedMinimum = store.Y(first);
        double expectedMaximum = store.Y(first);
        for (std::size_t i = first; i < last; ++i) {
            expectedMinimum = std::min(expectedMinimum, store.Y(i));
            expectedMaximum = std::max(expectedMaximum, store.Y(i));
        }
        EXPECT_EQ(minimum, expectedMinimum) << first << ".." << last;
        EXPECT_EQ(maximum, expectedMaximum) << first << ".." << last;
    }
    double minimum = 0;
    double maximum = 0;
    store.RangeY(0, Count, &minimum, &maximum);
    EXPECT_EQ(store.MinimumY(), minimum);
    EXPECT_EQ(store.MaximumY(), maximum);

    const std::uint64_t generation = store.Generation();
    store.Clear();
    EXPECT_NE(store.Generation(), generation);
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_FALSE(store.HasLabels());
    store.Append(5, -3, "");
    EXPECT_EQ(store.MinimumX(), 5.0);
    EXPECT_EQ(store.MaximumY(), -3.0);
    store.Append(4, 1, "");
    EXPECT_FALSE(store.Ascending());
}

TEST(PointStoreTest, AFullCurveCostsAtMost32BytesAPointLabelsIncluded) {
    PointStore store;
    constexpr std::size_t Count = 327671;
    for (std::size_t i = 0; i < Count; ++i) {
        char label[9];
        std::snprintf(label, sizeof label, "%02zu:%02zu:%02zu", i / 3600 % 24, i / 60 % 60, i % 60);
        store.Append(static_cast<double>(i), 20.0 + static_cast<double>(i % 100) / 16, label);
    }
    EXPECT_LE(static_cast<double>(store.MemoryBytes()) / Count, 32.0);
    EXPECT_EQ(store.Label(3661), "01:01:01");
}

} // namespace
} // namespace kelvo
