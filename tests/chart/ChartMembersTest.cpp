#include "chart/ChartControl.h"

#include "chart/ChartIds.h"
#include "platform/com/Events.h"
#include "platform/com/Variant.h"
#include "tests/chart/QtApplication.h"
#include "tests/platform/ini/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <QImage>
#include <fstream>
#include <functional>
#include <sstream>

namespace kelvo {
namespace {

using namespace chart_members;

class FunctionSink final : public Object<EventSink> {
public:
    explicit FunctionSink(std::function<void(std::int32_t)> handler)
        : handler_(std::move(handler)) {}
    ResultCode OnEvent(std::int32_t position, std::span<Variant>) override {
        handler_(position);
        return results::Ok;
    }

private:
    std::function<void(std::int32_t)> handler_;
};

ComPointer<Dispatch> Object(Dispatch* parent, std::int32_t id, std::vector<Variant> arguments = {},
                            InvokeKind kind = InvokeKind::PropertyGet) {
    Variant result;
    EXPECT_EQ(parent->Invoke(id, kind, arguments, &result), results::Ok) << id;
    ComPointer<Dispatch> object;
    result.ToObject(&object);
    return object;
}

template <class Value>
Value Get(Dispatch* object, std::int32_t id, std::vector<Variant> arguments = {},
          InvokeKind kind = InvokeKind::PropertyGet) {
    Variant result;
    EXPECT_EQ(object->Invoke(id, kind, arguments, &result), results::Ok) << id;
    Value value{};
    if constexpr (std::is_same_v<Value, std::int32_t>)
        result.ToInteger(&value);
    else if constexpr (std::is_same_v<Value, double>)
        result.ToDouble(&value);
    else if constexpr (std::is_same_v<Value, std::string>)
        result.ToText(&value);
    else
        result.ToBytes(&value);
    return value;
}

class ChartMembersTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }

    void SetUp() override {
        setenv("KELVO_CHART_DRAW_LOG", log_.c_str(), 1);
        ASSERT_EQ(ChartControl::Create(Dispatch::InterfaceId, chart_.OutPointer()), results::Ok);
        unsetenv("KELVO_CHART_DRAW_LOG");
        control_ = static_cast<ChartControl*>(chart_.Get());
        ASSERT_EQ(control_->Load("Width=453\nHeight=333\nSeries0.Title=Series0\n"
                                 "Legend.Visible=false\nTool0.Class=PAnnotationTool\n"
                                 "Color=16777215\nBackWall.Brush.Style=bsClear"),
                  results::Ok);
        series_ = Object(chart_.Get(), Series, {std::int32_t{0}}, InvokeKind::Method);
    }

    void Add(double x, double y) {
        ASSERT_EQ(CallMethod(series_.Get(), AddPoint, {x, y, "", std::int32_t{0}}), results::Ok);
    }

    std::string LogText() const {
        std::ifstream file(log_);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    testing::TemporaryDirectory directory_;
    std::filesystem::path log_ = directory_.Path() / "draw.log";
    ComPointer<Dispatch> chart_;
    ChartControl* control_ = nullptr;
    ComPointer<Dispatch> series_;
};

TEST_F(ChartMembersTest, SeriesValuesAndPixelsFollowTheDrawnFrame) {
    ComPointer<Dispatch> values = Object(series_.Get(), YValues);
    EXPECT_EQ(Get<double>(values.Get(), ValuesMaximum), 0.0); // empty series
    EXPECT_EQ(Get<double>(values.Get(), ValuesMinimum), 0.0);
    double x = 0;
    for (double y : {1.0, 5.0, 9.0, 3.0})
        Add(x++, y);
    EXPECT_EQ(Get<std::int32_t>(series_.Get(), PointCount), 4);
    EXPECT_EQ(Get<double>(values.Get(), ValuesMaximum), 9.0);
    EXPECT_EQ(Get<double>(values.Get(), ValuesMinimum), 1.0);
    EXPECT_EQ(Get<double>(values.Get(), ValuesValue, {std::int32_t{2}}, InvokeKind::Method), 9.0);
    EXPECT_EQ(CallMethod(values.Get(), ValuesValue, {std::int32_t{4}}), results::BadIndex);
    EXPECT_EQ(CallMethod(series_.Get(), CalcXPos, {std::int32_t{-1}}), results::BadIndex);

    const QImage image = control_->Image(QSize(453, 333));
    ComPointer<Dispatch> axes = Object(chart_.Get(), Axes);
    const int left = Get<std::int32_t>(Object(axes.Get(), LeftAxis).Get(), AxisPosition);
    const int bottom = Get<std::int32_t>(Object(axes.Get(), BottomAxis).Get(), AxisPosition);
    const int pixelX =
        Get<std::int32_t>(series_.Get(), CalcXPos, {std::int32_t{1}}, InvokeKind::Method);
    const int pixelY =
        Get<std::int32_t>(series_.Get(), CalcYPos, {std::int32_t{1}}, InvokeKind::Method);
    const int lowY =
        Get<std::int32_t>(series_.Get(), CalcYPos, {std::int32_t{0}}, InvokeKind::Method);
    // The lowest point sits on the bottom axis, and the line passes through
    // the pixel given for another (within a pixel's rounding).
    EXPECT_GT(pixelX, left);
    EXPECT_LT(pixelY, bottom);
    EXPECT_EQ(lowY, bottom);
    bool red = false;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            red = red || image.pixelColor(pixelX + dx, pixelY + dy) == QColor(Qt::red);
    EXPECT_TRUE(red);

    // With its pointer shown, a point gets a square with a black border.
    ComPointer<Dispatch> pointer = Object(series_.Get(), Pointer);
    ASSERT_EQ(PutProperty(pointer.Get(), PointerVisible, true), results::Ok);
    const QImage pointed = control_->Image(QSize(453, 333));
    int black = 0;
    for (int dx = -3; dx <= 3; ++dx)
        for (int dy = -3; dy <= 3; ++dy)
            black += pointed.pixelColor(pixelX + dx, pixelY + dy) == QColor(Qt::black);
    EXPECT_GE(black, 12);
}

TEST_F(ChartMembersTest, TheCanvasDrawsOnlyDuringTheAfterDrawEvent) {
    ComPointer<Dispatch> canvas = Object(chart_.Get(), Canvas);
    EXPECT_EQ(CallMethod(canvas.Get(), TextOut, {std::int32_t{5}, std::int32_t{5}, "x"}),
              results::Unexpected);
    ComPointer<Dispatch> font = Object(canvas.Get(), CanvasFont);
    ASSERT_EQ(PutProperty(font.Get(), FontBold, true), results::Ok);
    const int height = Get<std::int32_t>(canvas.Get(), TextHeight, {"D"}, InvokeKind::Method);
    EXPECT_GT(height, 5);

    std::vector<std::int32_t> events;
    ComPointer<EventSink> sink(new FunctionSink([&](std::int32_t position) {
        events.push_back(position);
        if (position == chart_events::AfterDraw) {
            EXPECT_EQ(
                CallMethod(canvas.Get(), TextOut, {std::int32_t{40}, std::int32_t{60}, "WWWW"}),
                results::Ok);
        }
    }));
    std::uint32_t cookie = 0;
    ASSERT_EQ(control_->Connect(sink.Get(), &cookie), results::Ok);
    const QImage drawn = control_->Image(QSize(453, 333));
    EXPECT_EQ(events,
              (std::vector<std::int32_t>{chart_events::BeforeDrawSeries, chart_events::AfterDraw}));
    EXPECT_EQ(LogText(), "text 40 60 WWWW\n");
    int dark = 0;
    for (int x = 40; x < 80; ++x)
        for (int y = 60; y < 60 + height; ++y)
            dark += drawn.pixelColor(x, y).lightness() < 100;
    EXPECT_GT(dark, 10);

    // Without events, as the plain picture export asks, no handler runs.
    events.clear();
    control_->Image(QSize(453, 333), false);
    EXPECT_TRUE(events.empty());
    control_->Disconnect(cookie);
}

TEST_F(ChartMembersTest, ExportsBothFormsAndReadsItsOwnFileBack) {
    Add(1, 20.5);
    ComPointer<Dispatch> exporters = Object(chart_.Get(), Export);
    ComPointer<Dispatch> native = Object(exporters.Get(), NativeExport);
    const auto bytes =
        Get<std::vector<std::uint8_t>>(native.Get(), SaveToStream, {}, InvokeKind::Method);
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.rfind("KelvoChart 1\n", 0), 0u);
    EXPECT_NE(text.find("\nPoint=0,1,20.5,\n"), std::string::npos);

    const auto png = Get<std::vector<std::uint8_t>>(Object(exporters.Get(), PictureExport).Get(),
                                                    SaveToStream, {true}, InvokeKind::Method);
    QImage picture;
    ASSERT_TRUE(picture.loadFromData(png.data(), static_cast<int>(png.size()), "PNG"));
    EXPECT_EQ(picture.size(), QSize(453, 333));

    const std::string file = (directory_.Path() / "a.pcht").string();
    ASSERT_EQ(CallMethod(native.Get(), SaveToFile, {file}), results::Ok);
    Add(2, 30);
    ASSERT_EQ(CallMethod(native.Get(), LoadFromFile, {file}), results::Ok);
    EXPECT_EQ(control_->Model().points.at(0).Count(), 1u);
    EXPECT_EQ(CallMethod(native.Get(), LoadFromFile, {file + ".none"}), results::FileNotFound);
    EXPECT_EQ(CallMethod(native.Get(), LoadFromStream, {std::vector<std::uint8_t>{'x', '\n'}}),
              results::InvalidArgument);
    EXPECT_EQ(CallMethod(native.Get(), LoadFromStream, {Variant(bytes)}), results::Ok);
    EXPECT_EQ(CallMethod(native.Get(), SaveToFile, {(directory_.Path() / "no/a").string()}),
              results::WriteFault);
}

TEST_F(ChartMembersTest, TheBackdropAndTheAnnotationAreDrawn) {
    ComPointer<Dispatch> backdrop = Object(chart_.Get(), BackImage);
    const std::string picture = (directory_.Path() / "blue.png").string();
    QImage blue(8, 8, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(QString::fromStdString(picture)));
    EXPECT_EQ(CallMethod(backdrop.Get(), LoadPicture, {picture + ".none"}), results::FileNotFound);
    EXPECT_EQ(CallMethod(backdrop.Get(), LoadPicture, {log_.string()}), results::FileNotFound);
    std::ofstream(directory_.Path() / "not.png") << "text";
    EXPECT_EQ(CallMethod(backdrop.Get(), LoadPicture, {(directory_.Path() / "not.png").string()}),
              results::InvalidArgument);
    ASSERT_EQ(CallMethod(backdrop.Get(), LoadPicture, {picture}), results::Ok);

    ComPointer<Dispatch> tools = Object(chart_.Get(), Tools);
    EXPECT_EQ(CallMethod(tools.Get(), ToolItem, {std::int32_t{1}}), results::BadIndex);
    ComPointer<Dispatch> annotation =
        Object(tools.Get(), ToolItem, {std::int32_t{0}}, InvokeKind::Method);
    ASSERT_EQ(PutProperty(annotation.Get(), AnnotationText, "one\rtwo"), results::Ok);
    ComPointer<Dispatch> shape = Object(annotation.Get(), AnnotationShape);
    ASSERT_EQ(PutProperty(shape.Get(), ShapeLeft, std::int32_t{100}), results::Ok);
    ASSERT_EQ(PutProperty(shape.Get(), ShapeTop, std::int32_t{120}), results::Ok);
    EXPECT_EQ(PutProperty(shape.Get(), ShapeTransparency, std::int32_t{101}),
              results::InvalidArgument);
    ASSERT_EQ(PutProperty(shape.Get(), ShapeTransparency, std::int32_t{30}), results::Ok);
    EXPECT_EQ(Get<std::int32_t>(shape.Get(), ShapeTransparency), 30);
    EXPECT_EQ(Get<std::string>(annotation.Get(), AnnotationText), "one\rtwo");

    const QImage image = control_->Image(QSize(453, 333));
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::blue));
    EXPECT_EQ(LogText(), "annotation 100 120 one\\rtwo\n");
    // The box's background lets 30 % of the backdrop through.
    const QColor inside = image.pixelColor(102, 122);
    EXPECT_GT(inside.red(), 150);
    EXPECT_GT(inside.blue(), inside.red());
}

} // namespace
} // namespace kelvo
