#include "monitor/core/SamplingRules.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kelvo {
namespace {

// The ticks (1-based) on which a counter starting at `start` falls due.
std::vector<int> DueTicks(int start, int limit, int ticks) {
    std::vector<int> due;
    int counter = start;
    for (int tick = 1; tick <= ticks; ++tick) {
        if (CountTick(counter, limit)) {
            due.push_back(tick);
        }
    }
    return due;
}

TEST(TickCounting, FirstDueAfterTheStartValueThenEveryLimitTicks) {
    EXPECT_EQ(DueTicks(0, 5, 16), (std::vector<int>{6, 11, 16})) << "read ticks start at 0";
    EXPECT_EQ(DueTicks(1, 5, 15), (std::vector<int>{5, 10, 15})) << "record ticks start at 1";
    EXPECT_EQ(DueTicks(0, 1, 4), (std::vector<int>{2, 3, 4}));
    int counter = 9;
    EXPECT_TRUE(CountTick(counter, 3)) << "a limit lowered below the count is due at once";
    EXPECT_EQ(counter, 1);
    counter = 0;
    EXPECT_TRUE(CountTick(counter, -2)) << "a negative interval is due every tick";
}

TEST(Readings, KindsConversionAndFormat) {
    const std::pair<double, ReadingKind> kinds[] = {
        {888.0, ReadingKind::failure},        {999.0, ReadingKind::failure},
        {777.0, ReadingKind::noData},         {-100.0, ReadingKind::sensorError},
        {127.9375, ReadingKind::temperature}, {0.0625, ReadingKind::temperature},
        {-128.0, ReadingKind::temperature},
    };
    for (const auto& [reading, kind] : kinds) {
        EXPECT_EQ(ClassifyReading(reading), kind) << reading;
    }

    EXPECT_DOUBLE_EQ(DisplayTemperature(25.0, false, 1.0), 78.0);
    EXPECT_DOUBLE_EQ(DisplayTemperature(25.0, true, -0.5), 24.5);
    EXPECT_EQ(FormatTemperature(78.0, false), "78.00 F");
    EXPECT_EQ(FormatTemperature(25.5, true), "25.50 C");
    EXPECT_EQ(FormatTemperature(-0.004, true), "-0.00 C");
}

TEST(Statistics, HalfWeightAverageAndExtremes) {
    bool pending = true;
    double maximum = 0, minimum = 0, average = 0;
    const Statistics statistics{pending, maximum, minimum, average};
    for (double value : {20.0, 30.0, 40.0}) {
        statistics.Add(value);
    }
    EXPECT_FALSE(pending);
    EXPECT_DOUBLE_EQ(maximum, 40.0);
    EXPECT_DOUBLE_EQ(minimum, 20.0);
    EXPECT_DOUBLE_EQ(average, 32.5);
}

TEST(AlarmBand, BoundsThemselvesAreInside) {
    EXPECT_FALSE(IsOutsideBand(30.0, 10.0, 30.0));
    EXPECT_TRUE(IsOutsideBand(30.01, 10.0, 30.0));
    EXPECT_FALSE(IsOutsideBand(10.0, 10.0, 30.0));
    EXPECT_TRUE(IsOutsideBand(9.99, 10.0, 30.0));
}

} // namespace
} // namespace kelvo
