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

bool SameRuns(const std::vector<ColumnRun>& kept, const std::vector<ColumnRun>& fresh) {
    return std::equal(kept.begin(), kept.end(), fresh.begin(), fresh.end(),
                      [](const ColumnRun& a, const ColumnRun& b) {
                          return a.first == b.first && a.last == b.last && a.firstX == b.firstX &&
                                 a.firstY == b.firstY && a.lastX == b.lastX && a.lastY == b.lastY &&
                                 a.lowest == b.lowest && a.highest == b.highest;
                      });
}

TEST(DecimationTest, KeptRunsFollowAppendsAsIfWorkedOutAfresh) {
    using Batch = std::vector<std::pair<double, double>>;
    auto dense = [](double from, int count) {
        Batch batch;
        for (int i = 0; i < count; ++i)
            batch.push_back({from + i * 0.37, std::sin(i * 0.7) * 30});
        return batch;
    };
    const struct {
        const char* name;
        std::vector<Batch> batches;
    } scenarios[] = {
        {"sparse, then dense, then beyond the right edge",
         {{{0, 1}, {40, 2}}, {{41, -3}}, dense(42, 700), dense(300, 2000), {{1500, 9}, {1600, 8}}}},
        {"all before the left edge, then into the view",
         {{{-50, 1}}, {{-40, 2}, {-30, 3}}, dense(-5, 100)}},
        {"one point out of order", {dense(0, 300), {{20, 50}}, dense(120, 50)}},
        {"a single point at a time", {{{5, 1}}, {{5, 2}}, {{5.1, -1}}, {{6, 0}}}},
    };
    const ValueRange bottom{0, 1000};
    const ValueRange left{-40, 40};
    const PlotArea area{10, 0, 100, 50};
    for (const auto& scenario : scenarios) {
        SCOPED_TRACE(scenario.name);
        PointStore store;
        SeriesColumns kept;
        for (const Batch& batch : scenario.batches) {
            for (auto [x, y] : batch)
                store.Append(x, y, "");
            kept.Update(store, bottom, area);
            SeriesColumns fresh;
            fresh.Update(store, bottom, area);
            ASSERT_TRUE(SameRuns(kept.Runs(), fresh.Runs())) << store.Count() << " points";
            ASSERT_FALSE(kept.Runs().empty());
        }
        // A new view, and the same number of points again after a clear.
        const std::size_t count = store.Count();
        kept.Update(store, {-100, 2000}, area);
        store.Clear();
        for (std::size_t i = 0; i < count; ++i)
            store.Append(static_cast<double>(i), 1, "");
        kept.Update(store, {-100, 2000}, area);
        SeriesColumns fresh;
        fresh.Update(store, {-100, 2000}, area);
        EXPECT_TRUE(SameRuns(kept.Runs(), fresh.Runs()));
        EXPECT_EQ(kept.Line({-100, 2000}, left, area).size(),
                  DecimatedLine(store, {-100, 2000}, left, area).size());
    }
}

TEST(DecimationTest, AStrokeSpansNeighbouringColumnsAndKeepsWideStepsStraight) {
    // Column 10 holds four vertices; column 11 one; then a step to column 20.
    const LineStroke stroke =
        StrokeOf({{10.2, 5.5}, {10.5, 2.0}, {10.5, 9.0}, {10.9, 6.0}, {11.3, 10.0}, {20.5, 10.0}});
    ASSERT_EQ(stroke.spans.size(), 3u);
    // 10 to 11 meet halfway between rows 6 and 10, at row 8.
    const int expected[][3] = {{10, 2, 9}, {11, 8, 10}, {20, 10, 10}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(stroke.spans[i].column, expected[i][0]);
        EXPECT_EQ(stroke.spans[i].top, expected[i][1]);
        EXPECT_EQ(stroke.spans[i].bottom, expected[i][2]);
    }
    ASSERT_EQ(stroke.segments.size(), 2u);
    EXPECT_DOUBLE_EQ(stroke.segments[0].x, 11.3);
    EXPECT_DOUBLE_EQ(stroke.segments[1].x, 20.5);

    const LineStroke point = StrokeOf({{3.5, 4.5}});
    ASSERT_EQ(point.spans.size(), 1u);
    EXPECT_EQ(point.spans[0].top, 4);
    EXPECT_TRUE(point.segments.empty());
}

} // namespace
} // namespace kelvo
