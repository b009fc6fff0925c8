#include "chart/ChartRenderer.h"

#include "chart/ChartControl.h"
#include "tests/chart/CurveProperties.h"
#include "tests/chart/QtApplication.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>
#include <string>

namespace kelvo {
namespace {

QImage Blank(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    return image;
}

int DifferingPixels(const QImage& one, const QImage& other) {
    if (one.size() != other.size())
        return -1;
    int differing = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x)
            differing += one.pixel(x, y) != other.pixel(x, y) ? 1 : 0;
    return differing;
}

std::string TimeLabel(int second) {
    char label[16];
    std::snprintf(label, sizeof label, "%02d:%02d:%02d", second / 3600 % 24, second / 60 % 60,
                  second % 60);
    return label;
}

// A renderer that keeps its layers and column runs from frame to frame draws
// what a redraw from scratch draws, whatever changed in between.
TEST(ChartRendererTest, KeptFramesMatchAFullRedrawPixelForPixel) {
    TestApplication();
    ChartModel model;
    ASSERT_EQ(ApplyProperties(CurveProperties, &model.settings), results::Ok);
    model.MatchSeries();
    PointStore& points = model.points[0];
    int next = 0;
    auto append = [&](int count, double level) {
        for (int i = 0; i < count; ++i, ++next)
            points.Append(next, level + 8 * std::sin(next * 0.01), TimeLabel(next));
    };
    QSize size(568, 410);
    const struct {
        const char* change;
        std::function<void()> apply;
    } changes[] = {
        {"nothing to draw yet", [] {}},
        {"a few points", [&] { append(5, 20); }},
        {"thousands, many to a column", [&] { append(6000, 25); }},
        {"one more point", [&] { append(1, 90); }},
        {"a value above the fixed axis", [&] { append(1, 130); }},
        {"nothing changed", [] {}},
        {"a smaller size", [&] { size = QSize(300, 200); }},
        {"only taller", [&] { size = QSize(300, 260); }},
        {"zoomed in", [&] { model.Zoom(0.5); }},
        {"moved", [&] { model.Move(0.25, -0.1); }},
        {"points while zoomed", [&] { append(300, 0); }},
        {"view reset", [&] { model.ResetView(); }},
        {"automatic left axis",
         [&] { ASSERT_EQ(ApplyProperties("LeftAxis.Automatic=1", &model.settings), results::Ok); }},
        {"a new extreme on the automatic axis", [&] { append(1, -60); }},
        {"another title, no legend",
         [&] {
             ASSERT_EQ(
                 ApplyProperties("Title.Text.Strings=Another\nLegend.Visible=0", &model.settings),
                 results::Ok);
         }},
        {"cleared and refilled to the same count",
         [&] {
             const std::size_t count = points.Count();
             points.Clear();
             next = 0;
             append(static_cast<int>(count), 60);
         }},
        {"a point out of order", [&] { points.Append(100, 0, "x"); }},
        {"too small for a plot", [&] { size = QSize(30, 20); }},
        {"the design size again", [&] { size = QSize(568, 410); }},
    };
    ChartRenderer kept;
    for (const auto& change : changes) {
        SCOPED_TRACE(change.change);
        change.apply();
        QImage frame = Blank(size);
        {
            QPainter painter(&frame);
            kept.PaintFrame(painter, frame.rect(), model, nullptr);
        }
        QImage full = Blank(size);
        {
            QPainter painter(&full);
            ChartRenderer::Paint(painter, full.rect(), model, nullptr);
        }
        ASSERT_EQ(DifferingPixels(frame, full), 0);
    }
}

// The widget paints the same picture into its window as the chart exports.
TEST(ChartRendererTest, TheShownChartIsTheExportedPicture) {
    TestApplication();
    ComPointer<Dispatch> dispatch;
    ASSERT_EQ(ChartControl::Create(Dispatch::InterfaceId, dispatch.OutPointer()), results::Ok);
    auto* chart = static_cast<ChartControl*>(dispatch.Get());
    ASSERT_EQ(chart->Load(CurveProperties), results::Ok);
    QWidget site;
    site.resize(568, 410);
    site.show();
    ASSERT_EQ(chart->Attach(&site), results::Ok);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 2000; ++i) {
            const int x = round * 2000 + i;
            ASSERT_EQ(chart->AddPoint(0, x, 20 + 10 * std::sin(x * 0.003), TimeLabel(x), nullptr),
                      results::Ok);
        }
        const QImage shown =
            chart->Widget()->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(DifferingPixels(shown, chart->Image(site.size())), 0) << "round " << round;
    }
}

} // namespace
} // namespace kelvo
