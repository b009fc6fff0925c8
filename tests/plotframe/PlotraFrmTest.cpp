#include "chart/ChartIds.h"
#include "platform/com/Creation.h"
#include "platform/com/Events.h"
#include "platform/com/Registry.h"
#include "platform/com/ServerLibrary.h"
#include "platform/com/Variant.h"
#include "plotframe/PlotFrameIds.h"
#include "tests/chart/QtApplication.h"
#include "tests/platform/com/TemporaryRegistry.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLocale>
#include <QWidget>
#include <dlfcn.h>
#include <fstream>
#include <sstream>

namespace kelvo {
namespace {

using namespace frame_members;

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

void Register(const char* path) {
    std::unique_ptr<ServerLibrary> library;
    ASSERT_EQ(ServerLibrary::Open(path, &library), results::Ok) << path;
    ASSERT_EQ(library->Register(), results::Ok) << path;
}

ComPointer<Dispatch> GetObject(Dispatch* object, std::int32_t id,
                               std::vector<Variant> arguments = {},
                               InvokeKind kind = InvokeKind::PropertyGet) {
    Variant result;
    EXPECT_EQ(object->Invoke(id, kind, arguments, &result), results::Ok) << id;
    ComPointer<Dispatch> child;
    result.ToObject(&child);
    return child;
}

std::int32_t GetInteger(Dispatch* object, std::int32_t id, std::vector<Variant> arguments = {},
                        InvokeKind kind = InvokeKind::PropertyGet) {
    Variant result;
    EXPECT_EQ(object->Invoke(id, kind, arguments, &result), results::Ok) << id;
    std::int32_t value = 0;
    EXPECT_EQ(result.ToInteger(&value), results::Ok);
    return value;
}

// The frame hosted on a site with the real chart behind it; the chart logs
// what it draws for its hosts.
class PlotraFrmTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestApplication(); }

    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        Register(KELVO_CHART_LIBRARY);
        Register(KELVO_FRAME_LIBRARY);
        setenv("KELVO_CHART_DRAW_LOG", log_.c_str(), 1);
        site_.resize(PlotraFrmWidth, PlotraFrmHeight);
        site_.show();
        ASSERT_EQ(HostControl(PlotraFrmClassId, &site_, "", &frame_), results::Ok);
        unsetenv("KELVO_CHART_DRAW_LOG");
        Variant chart;
        ASSERT_EQ(GetProperty(frame_.Get(), PChart1, &chart), results::Ok);
        ASSERT_EQ(chart.ToObject(&chart_), results::Ok);
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    void Add(double x, double y, const std::string& label = "") {
        ComPointer<Dispatch> series =
            GetObject(chart_.Get(), chart_members::Series, {std::int32_t{0}}, InvokeKind::Method);
        ASSERT_EQ(CallMethod(series.Get(), chart_members::AddPoint, {x, y, label, std::int32_t{0}}),
                  results::Ok);
    }

    // Draws the frame as it shows itself; the draw log then holds one frame.
    std::vector<std::string> Draw() {
        std::filesystem::remove(log_);
        site_.grab();
        return Lines(FileText(log_));
    }

    std::string NativeStream() {
        Variant stream;
        EXPECT_EQ(CallMethod(frame_.Get(), MyStreamChart, {std::int16_t{0}}, &stream), results::Ok);
        std::vector<std::uint8_t> bytes;
        EXPECT_EQ(stream.ToBytes(&bytes), results::Ok);
        return std::string(bytes.begin(), bytes.end());
    }

    TemporaryRegistry registry_;
    std::filesystem::path log_ = registry_.Folder() / "draw.log";
    QWidget site_;
    ComPointer<Dispatch> frame_;
    ComPointer<Dispatch> chart_;
};

TEST_F(PlotraFrmTest, HostsItsChartAtTheDesignedSizesWithItsInitialState) {
    const auto frames = site_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(frames.size(), 1);
    auto* chartSite = site_.findChild<QWidget*>("PChart1");
    ASSERT_TRUE(chartSite);
    EXPECT_EQ(frames.front()->geometry(), QRect(0, 0, 457, 337));
    EXPECT_EQ(chartSite->geometry(), QRect(0, 0, 453, 333));
    site_.resize(700, 500);
    EXPECT_EQ(frames.front()->size(), QSize(700, 500));
    EXPECT_EQ(chartSite->geometry(), QRect(0, 0, 453, 333));

    const std::string state = NativeStream();
    for (const char* line :
         {"Title.Text.Strings=Plotra VB AX Usercontrol\n", "Title.Font.Color=16777215\n",
          "Title.Font.Height=-16\n", "Title.Font.Style=fsBold\n", "Gradient.Visible=true\n",
          "Gradient.StartColor=8454143\n", "Gradient.EndColor=16033024\n",
          "BackWall.Brush.Style=bsClear\n", "Width=453\n", "Height=333\n",
          "Series0.Class=PLineSeries\n", "Series0.Title=Series0\n", "Series0.SeriesColor=255\n",
          "Series0.Marks.Visible=false\n", "Tool0.Class=PAnnotationTool\n",
          // The creation steps, done on the chart.
          "Series0.Pointer.Visible=true\n", "Series0.Transparency=10\n"})
        EXPECT_NE(state.find(line), std::string::npos) << line;
    EXPECT_EQ(state.find("Series1."), std::string::npos);
    EXPECT_EQ(state.find("Tool1."), std::string::npos);
    EXPECT_EQ(state.find("Point="), std::string::npos);

    // The dual default interface and the event interface of the class.
    ComPointer<Dispatch> dual;
    ASSERT_EQ(frame_->QueryInterface(PlotraFrmInterfaceId, dual.OutPointer()), results::Ok);
    EXPECT_EQ(dual.Get(), frame_.Get());
    ComPointer<EventSource> events;
    ASSERT_EQ(frame_.Query(&events), results::Ok);
}

TEST_F(PlotraFrmTest, MembersTakeTheirArgumentsAndGiveTheirResults) {
    const struct {
        std::int32_t id;
        InvokeKind kind;
        std::vector<Variant> arguments;
        ResultCode expected;
        VariantType type;
    } cases[] = {
        {SaveFile,
         InvokeKind::PropertyPut,
         {"C:\\charts\\", "value"},
         results::Ok,
         VariantType::Empty},
        {SaveFile,
         InvokeKind::PropertyGet,
         {"C:\\charts\\"},
         results::MemberNotFound,
         VariantType::Empty},
        {SaveFile,
         InvokeKind::PropertyPut,
         {"only one"},
         results::BadParameterCount,
         VariantType::Empty},
        {MySaveToFile, InvokeKind::Method, {"a"}, results::BadParameterCount, VariantType::Empty},
        {MySaveToFile,
         InvokeKind::Method,
         {std::int32_t{1}, "a"},
         results::TypeMismatch,
         VariantType::Empty},
        {ChangeBackDrop, InvokeKind::Method, {}, results::BadParameterCount, VariantType::Empty},
        {MyStreamChart, InvokeKind::Method, {"0"}, results::TypeMismatch, VariantType::Empty},
        {MyStreamChart,
         InvokeKind::Method,
         {std::int32_t{70000}},
         results::Overflow,
         VariantType::Empty},
        {MyStreamChart, InvokeKind::Method, {std::int16_t{0}}, results::Ok, VariantType::Bytes},
        {MyStreamChart, InvokeKind::Method, {std::int16_t{1}}, results::Ok, VariantType::Bytes},
        {MyStreamChart, InvokeKind::Method, {std::int16_t{2}}, results::Ok, VariantType::Empty},
        {MyStreamChart, InvokeKind::Method, {std::int16_t{-1}}, results::Ok, VariantType::Empty},
        {MyStreamChart,
         InvokeKind::PropertyGet,
         {std::int16_t{0}},
         results::MemberNotFound,
         VariantType::Empty},
        {PChart1, InvokeKind::PropertyGet, {}, results::Ok, VariantType::Object},
        {0x60030009, InvokeKind::Method, {}, results::MemberNotFound, VariantType::Empty},
    };
    for (auto c : cases) {
        Variant result;
        EXPECT_EQ(frame_->Invoke(c.id, c.kind, c.arguments, &result), c.expected)
            << std::hex << c.id;
        EXPECT_EQ(result.Type(), c.type) << std::hex << c.id;
    }
    const std::string before = NativeStream();
    Variant arguments[] = {Variant("C:\\charts\\"), Variant("value")};
    ASSERT_EQ(frame_->Invoke(SaveFile, InvokeKind::PropertyPut, arguments, nullptr), results::Ok);
    EXPECT_EQ(NativeStream(), before);

    Variant picture;
    ASSERT_EQ(CallMethod(frame_.Get(), MyStreamChart, {std::int16_t{1}}, &picture), results::Ok);
    std::vector<std::uint8_t> png;
    ASSERT_EQ(picture.ToBytes(&png), results::Ok);
    QImage image;
    ASSERT_TRUE(image.loadFromData(png.data(), static_cast<int>(png.size()), "PNG"));
    EXPECT_EQ(image.size(), QSize(453, 333));
}

TEST_F(PlotraFrmTest, SavesToThePathAndNameJoinedAsTheyCome) {
    Add(0, 21.5);
    const std::filesystem::path folder = registry_.Folder() / "charts";
    std::filesystem::create_directory(folder);
    ASSERT_EQ(CallMethod(frame_.Get(), MySaveToFile, {folder.string(), "a.pcht"}), results::Ok);
    EXPECT_EQ(FileText(registry_.Folder() / "chartsa.pcht"), NativeStream());
    ASSERT_EQ(CallMethod(frame_.Get(), MySaveToFile, {folder.string() + "/", "a.pcht"}),
              results::Ok);
    EXPECT_NE(FileText(folder / "a.pcht").find("\nPoint=0,0,21.5,\n"), std::string::npos);
    // The chart's failure reaches the caller.
    EXPECT_EQ(CallMethod(frame_.Get(), MySaveToFile, {folder.string() + "/none/", "a.pcht"}),
              results::WriteFault);
}

TEST_F(PlotraFrmTest, CaptionsTheRangeAndMarksTheLaterOfEqualMaxima) {
    Add(0, 20);
    Add(1, 25.5);
    Add(2, 25.5);
    Add(3, 21, "12.5");
    const std::vector<std::string> drawn = Draw();

    // Positions as the chart gives them after the frame was drawn.
    ComPointer<Dispatch> axes = GetObject(chart_.Get(), chart_members::Axes);
    const int x0 = GetInteger(GetObject(axes.Get(), chart_members::LeftAxis).Get(),
                              chart_members::AxisPosition);
    const int y0 = GetInteger(GetObject(axes.Get(), chart_members::BottomAxis).Get(),
                              chart_members::AxisPosition);
    const int height = GetInteger(GetObject(chart_.Get(), chart_members::Canvas).Get(),
                                  chart_members::TextHeight, {"D"}, InvokeKind::Method);
    ComPointer<Dispatch> series =
        GetObject(chart_.Get(), chart_members::Series, {std::int32_t{0}}, InvokeKind::Method);
    const int px =
        GetInteger(series.Get(), chart_members::CalcXPos, {std::int32_t{2}}, InvokeKind::Method);
    const int py =
        GetInteger(series.Get(), chart_members::CalcYPos, {std::int32_t{2}}, InvokeKind::Method);
    ASSERT_GT(x0, 0);
    ASSERT_GT(y0, 100);

    auto has = [&](const std::string& line) {
        return std::find(drawn.begin(), drawn.end(), line) != drawn.end();
    };
    const std::string at = std::to_string(x0 + 20) + " ";
    EXPECT_TRUE(has("text " + at + std::to_string(y0 - 50) + " Y Data range:"));
    EXPECT_TRUE(has("text " + at + std::to_string(y0 - 50 + height + 5) + "  5.5"));
    EXPECT_TRUE(has("annotation " + std::to_string(px) + " " + std::to_string(py) +
                    " Data sensitive.\\rHighest val: 25.5"));
    EXPECT_TRUE(has("label 3 0 12.5 Index: 3"));
    // The later maximum, not the first one.
    EXPECT_GT(px, GetInteger(series.Get(), chart_members::CalcXPos, {std::int32_t{1}},
                             InvokeKind::Method));

    // The value follows the user's locale; the caption never does.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::vector<std::string> german = Draw();
    EXPECT_NE(std::find(german.begin(), german.end(),
                        "annotation " + std::to_string(px) + " " + std::to_string(py) +
                            " Data sensitive.\\rHighest val: 25,5"),
              german.end());
    EXPECT_NE(std::find(german.begin(), german.end(),
                        "text " + at + std::to_string(y0 - 50 + height + 5) + "  5.5"),
              german.end());
}

TEST_F(PlotraFrmTest, AnEmptySeriesPutsTheBoxAtTheOrigin) {
    const std::vector<std::string> drawn = Draw();
    EXPECT_NE(
        std::find(drawn.begin(), drawn.end(), "annotation 0 0 Data sensitive.\\rHighest val: 0"),
        drawn.end());
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[1].substr(drawn[1].size() - 14), " Y Data range:");
    EXPECT_EQ(drawn[2].substr(drawn[2].size() - 3), "  0");
}

TEST_F(PlotraFrmTest, ChangesTheBackdrop) {
    const std::string picture = (registry_.Folder() / "blue.png").string();
    QImage blue(4, 4, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(QString::fromStdString(picture)));
    EXPECT_EQ(CallMethod(frame_.Get(), ChangeBackDrop, {picture + ".none"}), results::FileNotFound);
    ASSERT_EQ(CallMethod(frame_.Get(), ChangeBackDrop, {picture}), results::Ok);
    // Below the axes' labels, where nothing else draws over it.
    const QImage image = site_.grab().toImage();
    EXPECT_EQ(image.pixelColor(1, 331), QColor(Qt::blue));
}

// The frame over a chart that records its calls: which calls each member
// makes, and what a failing one leaves.
class PlotraFrmCallsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Register(KELVO_RECORDING_CHART);
        Register(KELVO_FRAME_LIBRARY);
        setenv("KELVO_RECORDING_CHART_LOG", log_.c_str(), 1);
        unsetenv("KELVO_RECORDING_CHART_FAIL");
        unsetenv("KELVO_RECORDING_CHART_NUMBER");
    }
    void TearDown() override {
        unsetenv("KELVO_RECORDING_CHART_LOG");
        unsetenv("KELVO_RECORDING_CHART_FAIL");
        unsetenv("KELVO_RECORDING_CHART_NUMBER");
    }

    // The calls since the last look.
    std::vector<std::string> Calls() {
        const std::vector<std::string> calls = Lines(FileText(log_));
        std::filesystem::remove(log_);
        return calls;
    }

    void Fire(std::int32_t position) {
        void* library = dlopen(KELVO_RECORDING_CHART, RTLD_NOW | RTLD_NOLOAD);
        ASSERT_TRUE(library);
        auto fire = reinterpret_cast<void (*)(std::int32_t)>(dlsym(library, "RecordingChartFire"));
        ASSERT_TRUE(fire);
        fire(position);
        dlclose(library);
    }

    TemporaryRegistry registry_;
    std::filesystem::path log_ = registry_.Folder() / "calls.log";
};

TEST_F(PlotraFrmCallsTest, MembersMakeTheirChartCallsAndNoOthers) {
    ComPointer<Dispatch> frame;
    ASSERT_EQ(CreateObject(PlotraFrmClassId, &frame), results::Ok);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"chart.56 call 0", "chart.56.4 get",
                                                 "chart.56.4.1 put true", "chart.56.5 put 10"}));

    for (std::int16_t type : {std::int16_t{2}, std::int16_t{-1}}) {
        Variant result(std::int32_t{5});
        ASSERT_EQ(CallMethod(frame.Get(), MyStreamChart, {type}, &result), results::Ok);
        EXPECT_TRUE(result.IsEmpty());
    }
    ASSERT_EQ(PutProperty(frame.Get(), SaveFile, Variant("value")), results::BadParameterCount);
    Variant arguments[] = {Variant("C:\\charts\\"), Variant("value")};
    ASSERT_EQ(frame->Invoke(SaveFile, InvokeKind::PropertyPut, arguments, nullptr), results::Ok);
    EXPECT_TRUE(Calls().empty());

    ASSERT_EQ(CallMethod(frame.Get(), MyStreamChart, {std::int16_t{0}}), results::Ok);
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"chart.9 get", "chart.9.1 get", "chart.9.1.2 call"}));
    ASSERT_EQ(CallMethod(frame.Get(), MyStreamChart, {std::int16_t{1}}), results::Ok);
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"chart.9 get", "chart.9.2 get", "chart.9.2.2 call true"}));
    ASSERT_EQ(CallMethod(frame.Get(), MySaveToFile, {"C:\\charts", "a.pcht"}), results::Ok);
    ASSERT_EQ(CallMethod(frame.Get(), MySaveToFile, {"C:\\charts\\", "a.pcht"}), results::Ok);
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"chart.9 get", "chart.9.1 get",
                                        "chart.9.1.1 call 'C:\\chartsa.pcht'", "chart.9 get",
                                        "chart.9.1 get", "chart.9.1.1 call 'C:\\charts\\a.pcht'"}));
    ASSERT_EQ(CallMethod(frame.Get(), ChangeBackDrop, {"sky.png"}), results::Ok);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"chart.17 get", "chart.17.1 call 'sky.png'"}));

    // A failing call ends the method and reaches its caller.
    setenv("KELVO_RECORDING_CHART_FAIL", "chart.9.1", 1);
    EXPECT_EQ(CallMethod(frame.Get(), MySaveToFile, {"/tmp/", "a.pcht"}), results::Fail);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"chart.9 get", "chart.9.1 get"}));
}

TEST_F(PlotraFrmCallsTest, HandlersCallInOrderAndStopAtAFailure) {
    ComPointer<Dispatch> frame;
    ASSERT_EQ(CreateObject(PlotraFrmClassId, &frame), results::Ok);
    Calls();
    Fire(chart_events::AfterDraw);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"chart.3 get",
                                                 "chart.3.1 get",
                                                 "chart.3.1.1 put true",
                                                 "chart.2 get",
                                                 "chart.2.1 get",
                                                 "chart.2.1.1 get",
                                                 "chart.2 get",
                                                 "chart.2.2 get",
                                                 "chart.2.2.1 get",
                                                 "chart.3 get",
                                                 "chart.3.2 call 20 -50 'Y Data range:'",
                                                 "chart.2 get",
                                                 "chart.2.1 get",
                                                 "chart.2.1.1 get",
                                                 "chart.2 get",
                                                 "chart.2.2 get",
                                                 "chart.2.2.1 get",
                                                 "chart.3 get",
                                                 "chart.3.3 call 'D'",
                                                 "chart.56 call 0",
                                                 "chart.56.6 get",
                                                 "chart.56.6.2 get",
                                                 "chart.56.6.1 get",
                                                 "chart.3 get",
                                                 "chart.3.2 call 20 -45 ' 0'"}));

    // A partial effect stays: the text is set, the box is not moved.
    setenv("KELVO_RECORDING_CHART_FAIL", "chart.51.1.2", 1);
    Fire(chart_events::BeforeDrawSeries);
    const std::vector<std::string> calls = Calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "chart.51.1.1 put 'Data sensitive.\rHighest val: 0'");
    EXPECT_EQ(calls.back(), "chart.51.1.2 get");

    // Positions beyond 32 bits end the caption before it draws.
    unsetenv("KELVO_RECORDING_CHART_FAIL");
    setenv("KELVO_RECORDING_CHART_NUMBER", "2147483640", 1);
    Fire(chart_events::AfterDraw);
    for (const std::string& call : Calls())
        EXPECT_EQ(call.find("chart.3.2 "), std::string::npos) << call;
}

TEST_F(PlotraFrmCallsTest, TheFrameIsNotMadeWithoutItsChart) {
    setenv("KELVO_RECORDING_CHART_FAIL", "chart.56", 1);
    TestApplication();
    QWidget site;
    ComPointer<Dispatch> frame;
    EXPECT_EQ(HostControl(PlotraFrmClassId, &site, "", &frame), results::Fail);
    EXPECT_FALSE(frame);
    EXPECT_TRUE(site.findChildren<QWidget*>().isEmpty());

    ASSERT_EQ(UnregisterClass(ChartClassId), results::Ok);
    EXPECT_EQ(CreateObject(PlotraFrmClassId, &frame), results::ClassNotRegistered);
    ASSERT_EQ(RegisterClass(
                  {ChartClassId, ChartProgId, "gone", registry_.Folder() / "Plotra5.ocx", true}),
              results::Ok);
    EXPECT_EQ(CreateObject(PlotraFrmClassId, &frame), results::ModuleNotFound);
}

} // namespace
} // namespace kelvo
