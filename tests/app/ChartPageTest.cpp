#include "monitor/pages/CPChart.h"
#include "platform/com/Variant.h"
#include "tests/app/MonitorWindowFixture.h"

#include <QAbstractButton>
#include <QImage>

namespace kelvo {
namespace {

class ChartPageTest : public MonitorWindowFixture {
protected:
    void SetUp() override {
        MonitorWindowFixture::SetUp();
        Start(1);
        window->curvePage.clock = [] { return std::time_t{1700000000}; };
    }

    CCurvePage& Page() { return window->curvePage; }

    // Samples as the sampling cycle hands them to the page.
    void AddSamples(int count, double value = 20.0) {
        for (int sample = 0; sample < count; ++sample) {
            Page().AddPoint(value, 0.0);
        }
    }
};

TEST_F(ChartPageTest, PointsAreNumberedFromZeroWhileLoadIsTicked) {
    ASSERT_TRUE(Page().chart.IsCreated());
    EXPECT_TRUE(Page().IsDlgButtonChecked(1002)) << "CurveInner defaults to 1";
    AddSamples(3);
    EXPECT_EQ(Page().pointNumber, 3);

    Page().CheckDlgButton(1002, false);
    AddSamples(10);
    EXPECT_EQ(Page().pointNumber, 3) << "nothing is plotted while Load is off";
    Page().CheckDlgButton(1002, true);
    AddSamples(1);
    EXPECT_EQ(Page().pointNumber, 4) << "plotting continues at the next x";
}

TEST_F(ChartPageTest, ThePointAfterTheLimitEmptiesTheSeriesAndTheNextIsAtOne) {
    Page().pointNumber = CCurvePage::lastPointNumber + 1; // the 327,672nd point is next
    AddSamples(1);
    EXPECT_EQ(Page().pointNumber, 1);
    // The series was emptied: the next point added gets index 0.
    Variant index;
    ASSERT_TRUE(Succeeded(CallMethod(
        Page().chart.Series(0).Get(), 48,
        {Variant(1.0), Variant(20.0), Variant("00:00:00"), Variant(std::int32_t{5})}, &index)));
    std::int32_t value = -1;
    index.ToInteger(&value);
    EXPECT_EQ(value, 0);
}

TEST_F(ChartPageTest, SamplesDrawARedCurveOnThePage) {
    AddSamples(50, 40.0);
    QWidget* site = Page().GetDlgItem(1000);
    Page().resize(800, 600);
    // Rendered straight into the painter's own format: no image conversion,
    // which Qt would spread over threads of its own.
    QImage image(site->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    site->render(&image);
    int redPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            redPixels += colour.red() > 200 && colour.green() < 60 && colour.blue() < 60;
        }
    }
    EXPECT_GT(redPixels, 20);
}

} // namespace
} // namespace kelvo
