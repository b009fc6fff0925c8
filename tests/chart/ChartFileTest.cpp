#include "chart/ChartFile.h"

#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

ChartModel SampleModel() {
    ChartModel model;
    EXPECT_EQ(ApplyProperties("Title.Text.Strings=Plotra\nSeries0.Title=Series0\n"
                              "Series0.Transparency=10\nTool0.Class=PAnnotationTool\n"
                              "Gradient.Visible=true\nLeftAxis.Automatic=false\n"
                              "LeftAxis.Minimum=-40\nLeftAxis.Maximum=120\n",
                              &model.settings),
              results::Ok);
    model.settings.tools[0].text = "Data sensitive.\rHighest val: 25";
    model.settings.tools[0].left = -3;
    model.MatchSeries();
    model.points[0].Append(0, 0.1, "12:00:00");
    model.points[0].Append(1, -1e300, "a, label\\with\nbreaks");
    return model;
}

TEST(ChartFileTest, ReadsBackWhatItWrites) {
    const ChartModel written = SampleModel();
    ChartModel read;
    ASSERT_EQ(ReadChartFile(ChartFileText(written), &read), results::Ok);
    // Writing the read chart again gives the same bytes: nothing was lost.
    EXPECT_EQ(ChartFileText(read), ChartFileText(written));
    ASSERT_EQ(read.points.size(), 1u);
    ASSERT_EQ(read.points[0].Count(), 2u);
    EXPECT_EQ(read.points[0].Y(0), 0.1);
    EXPECT_EQ(read.points[0].Y(1), -1e300);
    EXPECT_EQ(read.points[0].Label(1), "a, label\\with\nbreaks");
    EXPECT_EQ(read.settings.tools.at(0).text, "Data sensitive.\rHighest val: 25");
    EXPECT_EQ(read.settings.tools[0].left, -3);
    EXPECT_EQ(read.settings.series.at(0).transparency, 10);
    EXPECT_FALSE(read.settings.leftAxis.automatic);
    EXPECT_EQ(read.settings.leftAxis.minimum, -40);
}

TEST(ChartFileTest, RefusesDamagedFilesAndLeavesTheChartAlone) {
    const std::string header = "KelvoChart 1\nSeries0.Title=S\n";
    const struct {
        std::string bytes;
        ResultCode expected;
    } cases[] = {
        {"", results::InvalidArgument},
        {"KelvoChart 1", results::InvalidArgument},     // no line end
        {"KelvoChartX 1\n", results::InvalidArgument},  // magic
        {"KelvoChart one\n", results::InvalidArgument}, // version
        {"KelvoChart 0\n", results::InvalidArgument},
        {"KelvoChart 2\n", results::NotImplemented},
        {header + "Point=1,0,0,x\n", results::InvalidArgument},   // no such series
        {header + "Point=0,0,nan,x\n", results::InvalidArgument}, // not finite
        {header + "Point=0,0,1e999,x\n", results::InvalidArgument},
        {header + "Point=0,0\n", results::InvalidArgument},
        {header + "Point=-1,0,0,x\n", results::InvalidArgument},
        {header + "Point=0,0,0,bad\\q\n", results::InvalidArgument}, // escape
        {header + "Point=0,0,0,x\nTitle.Font.Height=9\n", results::InvalidArgument},
        {"KelvoChart 1\nLeftAxis.Minimum=low\n", results::InvalidArgument},
        {"KelvoChart 1\nTool0.Class=PCursorTool\n", results::InvalidArgument},
        {"KelvoChart 1\nTool0.Shape.Transparency=101\n", results::InvalidArgument},
    };
    for (const auto& c : cases) {
        ChartModel model = SampleModel();
        const ResultCode result = ReadChartFile(c.bytes, &model);
        EXPECT_EQ(result, c.expected) << c.bytes;
        EXPECT_EQ(model.points.at(0).Count(), 2u) << c.bytes;
    }
}

TEST(ChartFileTest, SavesAndLoadsFiles) {
    testing::TemporaryDirectory directory;
    const auto path = directory.Path() / "a.pcht";
    ASSERT_EQ(SaveChartFile(path, SampleModel()), results::Ok);
    ChartModel read;
    ASSERT_EQ(LoadChartFile(path, &read), results::Ok);
    EXPECT_EQ(read.points.at(0).Count(), 2u);
    EXPECT_EQ(LoadChartFile(directory.Path() / "none.pcht", &read), results::FileNotFound);
    EXPECT_EQ(LoadChartFile(directory.Path(), &read), results::Fail);
    EXPECT_EQ(SaveChartFile(directory.Path() / "no-folder" / "a.pcht", SampleModel()),
              results::WriteFault);
}

} // namespace
} // namespace kelvo
