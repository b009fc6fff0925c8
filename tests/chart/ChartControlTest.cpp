#include "chart/ChartControl.h"

#include "chart/ChartIds.h"
#include "platform/com/Variant.h"
#include "tests/chart/CurveProperties.h"
#include "tests/chart/QtApplication.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <thread>

namespace kelvo {
namespace {

class ChartControlTest : public testing::Test {
protected:
    // The sites below are widgets: the application must come first.
    static void SetUpTestSuite() { TestApplication(); }

    void SetUp() override {
        ASSERT_EQ(ChartControl::Create(Dispatch::InterfaceId, dispatch_.OutPointer()), results::Ok);
        chart_ = static_cast<ChartControl*>(dispatch_.Get());
        ASSERT_EQ(chart_->Load(CurveProperties), results::Ok);
        site_.resize(568, 410);
        site_.show();
        ASSERT_EQ(chart_->Attach(&site_), results::Ok);
    }

    ComPointer<Dispatch> Series(std::int32_t index) {
        Variant result;
        EXPECT_EQ(CallMethod(dispatch_.Get(), chart_members::Series, {index}, &result),
                  results::Ok);
        ComPointer<Dispatch> series;
        result.ToObject(&series);
        return series;
    }

    ResultCode Add(double x, double y, const std::string& label = "12:00:00") {
        return CallMethod(Series(0).Get(), chart_members::AddPoint, {x, y, label, std::int32_t{5}});
    }

    // Rows of the back wall in the given column: its first and last white pixel.
    static std::pair<int, int> WallRows(const QImage& image, int column) {
        int first = -1;
        int last = -1;
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(column, y) == QColor(Qt::white)) {
                first = first < 0 ? y : first;
                last = y;
            }
        return {first, last};
    }

    static std::vector<int> RedRows(const QImage& image, int column) {
        std::vector<int> rows;
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(column, y) == QColor(Qt::red))
                rows.push_back(y);
        return rows;
    }

    // The row a value should sit on, given the wall between -40 and 120.
    static double ExpectedRow(std::pair<int, int> wall, double value, double bottom = -40,
                              double top = 120) {
        return wall.first + (top - value) / (top - bottom) * (wall.second - wall.first);
    }

    QWidget site_;
    ComPointer<Dispatch> dispatch_;
    ChartControl* chart_ = nullptr;
};

TEST_F(ChartControlTest, TheCurveSitsAtItsValueOnTheFixedAxis) {
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(Add(i, 25), results::Ok);
    const QImage image = site_.grab().toImage();
    ASSERT_EQ(chart_->Widget()->geometry(), site_.rect());
    const int column = image.width() * 2 / 5;
    const auto wall = WallRows(image, column);
    ASSERT_GT(wall.second - wall.first, 200);
    const auto red = RedRows(image, column);
    ASSERT_FALSE(red.empty());
    EXPECT_NEAR(red.front(), ExpectedRow(wall, 25), 2.0);
    EXPECT_NEAR(red.back(), ExpectedRow(wall, 25), 2.0);
    // The panel shows the stored panel colour.
    EXPECT_EQ(image.pixelColor(2, 2), QColor(128, 255, 128));
}

TEST_F(ChartControlTest, AValueAboveTheAxisIsKeptAndShownWhenZoomedOut) {
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(Add(i, 130), results::Ok);
    EXPECT_EQ(chart_->Model().points[0].Count(), 10u);
    EXPECT_EQ(chart_->Model().points[0].Y(9), 130.0);
    const int column = site_.width() * 2 / 5;
    EXPECT_TRUE(RedRows(site_.grab().toImage(), column).empty());

    chart_->Zoom(2); // -120 to 200
    const QImage image = site_.grab().toImage();
    const auto red = RedRows(image, column);
    ASSERT_FALSE(red.empty());
    EXPECT_NEAR(red.front(), ExpectedRow(WallRows(image, column), 130, -120, 200), 2.0);
}

TEST_F(ChartControlTest, ExtremeValuesOnAnAutomaticAxisDrawWithoutHarm) {
    ASSERT_EQ(chart_->Load("LeftAxis.Automatic=1\nBottomAxis.Automatic=1"), results::Ok);
    for (double value : {1e308, -1e308, 0.0, 1e-300})
        ASSERT_EQ(Add(value, value), results::Ok);
    const QImage image = site_.grab().toImage();
    EXPECT_EQ(image.size(), site_.size());
    EXPECT_EQ(chart_->Model().points[0].MaximumY(), 1e308);
}

TEST_F(ChartControlTest, AFullCurveOf327671PointsDrawsAndClears) {
    ComPointer<Dispatch> series = Series(0);
    Variant index;
    for (int i = 0; i <= 327671; ++i) {
        char label[9];
        std::snprintf(label, sizeof label, "%02d:%02d:%02d", i / 3600 % 24, i / 60 % 60, i % 60);
        ASSERT_EQ(CallMethod(
                      series.Get(), chart_members::AddPoint,
                      {static_cast<double>(i), 20.0 + (i % 7), std::string(label), std::int32_t{5}},
                      &index),
                  results::Ok);
    }
    std::int32_t last = 0;
    ASSERT_EQ(index.ToInteger(&last), results::Ok);
    EXPECT_EQ(last, 327671);
    const int column = site_.width() * 2 / 5;
    const QImage full = site_.grab().toImage();
    const auto red = RedRows(full, column);
    ASSERT_FALSE(red.empty());
    const auto wall = WallRows(full, column);
    EXPECT_NEAR(red.front(), ExpectedRow(wall, 26), 2.0);
    EXPECT_NEAR(red.back(), ExpectedRow(wall, 20), 2.0);

    ASSERT_EQ(CallMethod(series.Get(), chart_members::Clear, {}), results::Ok);
    EXPECT_EQ(chart_->Model().points[0].Count(), 0u);
    EXPECT_TRUE(RedRows(site_.grab().toImage(), column).empty());
    ASSERT_EQ(Add(1, 25), results::Ok);
    EXPECT_EQ(chart_->Model().points[0].X(0), 1.0);
}

TEST_F(ChartControlTest, ManyChangesBetweenTwoFramesCostOnePaint) {
    QApplication::processEvents();
    const int before = chart_->Widget()->PaintCount();
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(Add(i, i % 50), results::Ok);
    EXPECT_EQ(chart_->Widget()->PaintCount(), before);
    QApplication::processEvents();
    EXPECT_EQ(chart_->Widget()->PaintCount(), before + 1);
}

TEST_F(ChartControlTest, TheSiteIsFollowedWhenItResizes) {
    site_.resize(300, 200);
    EXPECT_EQ(chart_->Widget()->geometry(), QRect(0, 0, 300, 200));
}

TEST_F(ChartControlTest, DispatchErrorsComeBackAsResultCodes) {
    Variant link;
    ASSERT_EQ(GetProperty(dispatch_.Get(), chart_members::ChartLink, &link), results::Ok);
    std::int32_t value = 0;
    ASSERT_EQ(link.ToInteger(&value), results::Ok);
    EXPECT_EQ(ChartControl::FromLink(value), chart_);

    ComPointer<Dispatch> series = Series(0);
    struct Case {
        const char* what;
        Dispatch* object;
        std::int32_t member;
        InvokeKind kind;
        std::vector<Variant> arguments;
        ResultCode expected;
    };
    const double notANumber = std::nan("");
    std::vector<Case> cases = {
        {"unknown chart member",
         dispatch_.Get(),
         1234,
         InvokeKind::Method,
         {},
         results::MemberNotFound},
        {"chart link is read only",
         dispatch_.Get(),
         chart_members::ChartLink,
         InvokeKind::PropertyPut,
         {std::int32_t{1}},
         results::MemberNotFound},
        {"series without index",
         dispatch_.Get(),
         chart_members::Series,
         InvokeKind::Method,
         {},
         results::BadParameterCount},
        {"series 2 of two",
         dispatch_.Get(),
         chart_members::Series,
         InvokeKind::Method,
         {std::int32_t{2}},
         results::BadIndex},
        {"series -1",
         dispatch_.Get(),
         chart_members::Series,
         InvokeKind::Method,
         {std::int32_t{-1}},
         results::BadIndex},
        {"series by name",
         dispatch_.Get(),
         chart_members::Series,
         InvokeKind::Method,
         {"temp"},
         results::TypeMismatch},
        {"add point, three arguments",
         series.Get(),
         chart_members::AddPoint,
         InvokeKind::Method,
         {1.0, 2.0, "x"},
         results::BadParameterCount},
        {"add point, text for y",
         series.Get(),
         chart_members::AddPoint,
         InvokeKind::Method,
         {1.0, "2", "x", std::int32_t{5}},
         results::TypeMismatch},
        {"add point, number for label",
         series.Get(),
         chart_members::AddPoint,
         InvokeKind::Method,
         {1.0, 2.0, 3.0, std::int32_t{5}},
         results::TypeMismatch},
        {"add point, y not a number",
         series.Get(),
         chart_members::AddPoint,
         InvokeKind::Method,
         {1.0, notANumber, "x", std::int32_t{5}},
         results::InvalidArgument},
        {"clear with an argument",
         series.Get(),
         chart_members::Clear,
         InvokeKind::Method,
         {std::int32_t{0}},
         results::BadParameterCount},
        {"add point as property",
         series.Get(),
         chart_members::AddPoint,
         InvokeKind::PropertyGet,
         {},
         results::MemberNotFound},
    };
    for (Case& test : cases)
        EXPECT_EQ(test.object->Invoke(test.member, test.kind, test.arguments, nullptr),
                  test.expected)
            << test.what;
    EXPECT_EQ(chart_->Model().points[0].Count(), 0u);

    // The chart belongs to the thread that made it.
    ResultCode fromWorker = results::Ok;
    std::thread worker([&] {
        fromWorker =
            CallMethod(series.Get(), chart_members::AddPoint, {1.0, 2.0, "x", std::int32_t{5}});
    });
    worker.join();
    EXPECT_EQ(fromWorker, results::WrongThread);
    EXPECT_EQ(chart_->Model().points[0].Count(), 0u);
}

class DrawRecorder final : public Object<EventSink> {
public:
    std::vector<std::int32_t> positions;
    std::vector<std::int32_t> labelIndexes;
    ResultCode OnEvent(std::int32_t position, std::span<Variant> arguments) override {
        positions.push_back(position);
        if (position == chart_events::AxisLabel) {
            std::int32_t axis = 0;
            std::int32_t index = 0;
            std::string* text = nullptr;
            EXPECT_EQ(arguments.size(), 3u);
            EXPECT_EQ(arguments[0].ToInteger(&axis), results::Ok);
            EXPECT_EQ(axis, chart_events::BottomAxis);
            EXPECT_EQ(arguments[1].ToInteger(&index), results::Ok);
            EXPECT_EQ(arguments[2].ToTextReference(&text), results::Ok);
            EXPECT_EQ(*text, "10:00:0" + std::to_string(index));
            *text += " Index: " + std::to_string(index);
            labelIndexes.push_back(index);
        }
        return results::Ok;
    }
};

TEST_F(ChartControlTest, DrawingRaisesItsEventsInOrder) {
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(Add(i, 20, "10:00:0" + std::to_string(i)), results::Ok);
    ComPointer<EventSource> source;
    ASSERT_EQ(dispatch_.Query(&source), results::Ok);
    ComPointer<DrawRecorder> recorder(new DrawRecorder);
    std::uint32_t cookie = 0;
    ASSERT_EQ(source->Connect(recorder.Get(), &cookie), results::Ok);
    site_.grab();
    ASSERT_FALSE(recorder->positions.empty());
    EXPECT_EQ(recorder->labelIndexes, (std::vector<std::int32_t>{0, 1, 2}));
    EXPECT_EQ(recorder->positions.back(), chart_events::AfterDraw);
    EXPECT_EQ(recorder->positions[recorder->positions.size() - 2], chart_events::BeforeDrawSeries);

    ASSERT_EQ(source->Disconnect(cookie), results::Ok);
    recorder->positions.clear();
    site_.grab();
    EXPECT_TRUE(recorder->positions.empty());
}

} // namespace
} // namespace kelvo
