#include "chart/ChartModel.h"
#include "chart/Decimation.h"
#include "tests/chart/CurveProperties.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace kelvo {
namespace {

TEST(ChartPropertiesTest, TheCurvePagePropertiesApply) {
    ChartSettings settings;
    ASSERT_EQ(ApplyProperties(CurveProperties, &settings), results::Ok);
    EXPECT_EQ(settings.title, std::vector<std::string>{"HID Kelvo"});
    EXPECT_FALSE(settings.leftAxis.automatic);
    EXPECT_EQ(settings.leftAxis.minimum, -40);
    EXPECT_EQ(settings.leftAxis.maximum, 120);
    EXPECT_EQ(settings.leftAxis.increment, 10);
    EXPECT_FALSE(settings.view3D);
    EXPECT_EQ(settings.panelColour, MakeColour(128, 255, 128));
    EXPECT_TRUE(settings.legendGradient);
    EXPECT_EQ(settings.printMargins[1], 19);
    EXPECT_EQ(settings.designWidth, 568);
    EXPECT_EQ(settings.designHeight, 410);
    ASSERT_EQ(settings.series.size(), 2u);
    EXPECT_EQ(settings.series[0].title, "temp");
    EXPECT_EQ(settings.series[0].lineColour, MakeColour(255, 0, 0));
    EXPECT_TRUE(settings.series[0].lineVisible);
    EXPECT_FALSE(settings.series[0].marksVisible);
    EXPECT_EQ(settings.series[1].title, "1");
    EXPECT_EQ(settings.series[1].colour, MakeColour(0, 128, 0));
    EXPECT_FALSE(settings.series[1].lineVisible);
}

TEST(ChartPropertiesTest, BadValuesAreSkippedAndReportedUnknownPathsIgnored) {
    ChartSettings settings;
    const ResultCode result = ApplyProperties("LeftAxis.Minimum=low\n"
                                              "LeftAxis.Maximum=inf\n"
                                              "Color=clPurpleish\n"
                                              "PrintMargins=1,2,3\n"
                                              "Series9999.Title=too many\n"
                                              "Some.Future.Path=1\n"
                                              "no equals sign\n"
                                              "LeftAxis.Increment=5\n",
                                              &settings);
    EXPECT_EQ(result, results::InvalidArgument);
    const ChartSettings defaults;
    EXPECT_EQ(settings.leftAxis.minimum, defaults.leftAxis.minimum);
    EXPECT_EQ(settings.leftAxis.maximum, defaults.leftAxis.maximum);
    EXPECT_EQ(settings.panelColour, defaults.panelColour);
    EXPECT_EQ(settings.printMargins[2], defaults.printMargins[2]);
    EXPECT_TRUE(settings.series.empty());
    EXPECT_EQ(settings.leftAxis.increment, 5);
}

TEST(ChartModelTest, RangesFollowFixedAxesPointsAndTheUsersView) {
    ChartModel model;
    ASSERT_EQ(ApplyProperties(CurveProperties, &model.settings), results::Ok);
    model.MatchSeries();
    EXPECT_EQ(model.BottomRange().minimum, 0); // no points
    EXPECT_EQ(model.BottomRange().maximum, 1);
    model.points[0].Append(0, 25, "");
    model.points[0].Append(10, 130, "");
    EXPECT_EQ(model.LeftRange().minimum, -40);
    EXPECT_EQ(model.LeftRange().maximum, 120); // fixed: 130 lies above
    EXPECT_EQ(model.BottomRange().minimum, 0);
    EXPECT_EQ(model.BottomRange().maximum, 10);

    model.Zoom(2);
    EXPECT_EQ(model.LeftRange().minimum, -120);
    EXPECT_EQ(model.LeftRange().maximum, 200);
    model.Move(0.5, 0);
    EXPECT_EQ(model.BottomRange().minimum, 5);
    model.ResetView();
    EXPECT_EQ(model.LeftRange().maximum, 120);

    // Zooming out on and on stops before the ranges overflow.
    for (int i = 0; i < 2000; ++i)
        model.Zoom(2);
    EXPECT_TRUE(std::isfinite(model.LeftRange().Span()));
    EXPECT_TRUE(std::isfinite(model.BottomRange().Span()));
    for (int i = 0; i < 4000; ++i)
        model.Zoom(0.5);
    EXPECT_GT(model.LeftRange().Span(), 0);
    model.ResetView();

    model.settings.leftAxis.automatic = true;
    EXPECT_EQ(model.LeftRange().minimum, 25);
    EXPECT_EQ(model.LeftRange().maximum, 130);
}

// Per pixel column, the lowest and highest pixel the line reaches.
std::map<int, std::pair<double, double>> ColumnExtremes(const std::vector<PixelPoint>& line) {
    std::map<int, std::pair<double, double>> columns;
    for (const PixelPoint& point : line) {
        const int column = static_cast<int>(std::floor(point.x));
        auto [entry, added] = columns.try_emplace(column, point.y, point.y);
        entry->second.first = std::min(entry->second.first, point.y);
        entry->second.second = std::max(entry->second.second, point.y);
    }
    return columns;
}

TEST(DecimationTest, EachColumnReachesTheExtremesOfItsPointsInEitherOrder) {
    const PlotArea area{10, 0, 100, 200};
    const ValueRange bottom{0, 5000};
    const ValueRange left{-60, 60};
    PointStore ascending;
    PointStore shuffled;
    for (int i = 0; i < 5000; ++i)
        ascending.Append(i, 50 * std::sin(i * 0.37) * std::cos(i * 0.011), "");
    // The same points, out of order.
    for (int i = 0; i < 5000; i += 2)
        shuffled.Append(i, ascending.Y(i), "");
    for (int i = 1; i < 5000; i += 2)
        shuffled.Append(i, ascending.Y(i), "");

    std::map<int, std::pair<double, double>> expected;
    for (int i = 0; i < 5000; ++i) {
        const double x = std::floor(area.left + i / bottom.Span() * area.width);
        const double y = area.height - (ascending.Y(i) - left.minimum) / left.Span() * area.height;
        auto [entry, added] = expected.try_emplace(static_cast<int>(x), y, y);
        entry->second.first = std::min(entry->second.first, y);
        entry->second.second = std::max(entry->second.second, y);
    }
    const auto fast = DecimatedLine(ascending, bottom, left, area);
    EXPECT_LE(fast.size(), 4u * 101);
    const auto columns = ColumnExtremes(fast);
    for (const auto& [column, extremes] : expected) {
        ASSERT_TRUE(columns.count(column)) << column;
        EXPECT_NEAR(columns.at(column).first, extremes.first, 1e-9) << column;
        EXPECT_NEAR(columns.at(column).second, extremes.second, 1e-9) << column;
    }
    const auto slow = ColumnExtremes(DecimatedLine(shuffled, bottom, left, area));
    for (const auto& [column, extremes] : expected) {
        EXPECT_NEAR(slow.at(column).first, extremes.first, 1e-9) << column;
        EXPECT_NEAR(slow.at(column).second, extremes.second, 1e-9) << column;
    }
}

TEST(DecimationTest, SparsePointsAreAllKeptAndOnlyOneBeyondEachEdge) {
    PointStore store;
    for (int i = 0; i < 20; ++i)
        store.Append(i, i, "");
    // Showing x 5 to 9.5 over 90 pixels: points 4 to 10 are drawn, 4 and 10
    // for the line entering and leaving.
    const auto line = DecimatedLine(store, {5, 9.5}, {0, 20}, {0, 0, 90, 100});
    ASSERT_EQ(line.size(), 7u);
    EXPECT_DOUBLE_EQ(line.front().x, -20);
    EXPECT_DOUBLE_EQ(line[1].x, 0);
    EXPECT_DOUBLE_EQ(line[1].y, 75);
    EXPECT_DOUBLE_EQ(line.back().x, 100);
    EXPECT_TRUE(DecimatedLine(PointStore(), {0, 1}, {0, 1}, {0, 0, 10, 10}).empty());
}

} // namespace
} // namespace kelvo
