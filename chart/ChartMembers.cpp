#include "chart/ChartMembers.h"

#include "chart/ChartControl.h"
#include "chart/ChartFile.h"
#include "chart/ChartIds.h"
#include "platform/com/Variant.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <cmath>
#include <limits>

namespace kelvo {

namespace {

using namespace chart_members;

bool IsPut(InvokeKind kind) {
    return kind == InvokeKind::PropertyPut;
}

bool AnyValue(std::int32_t) {
    return true;
}
bool Percent(std::int32_t value) {
    return value >= 0 && value <= 100;
}

// One argument read as an index below count.
ResultCode IndexArgument(std::span<Variant> arguments, std::size_t count, std::size_t* index) {
    if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
        return check;
    std::int32_t value = 0;
    if (ResultCode check = arguments[0].ToInteger(&value); Failed(check))
        return check;
    if (value < 0 || static_cast<std::size_t>(value) >= count)
        return results::BadIndex;
    *index = static_cast<std::size_t>(value);
    return results::Ok;
}

} // namespace

std::optional<ChartMember::Kind> ChartMember::KindOfChartMember(std::int32_t dispatchId) {
    switch (dispatchId) {
    case Axes:
        return Kind::Axes;
    case Canvas:
        return Kind::Canvas;
    case Export:
        return Kind::Export;
    case BackImage:
        return Kind::BackImage;
    case Tools:
        return Kind::Tools;
    default:
        return std::nullopt;
    }
}

ChartMember::ChartMember(ChartControl* chart, Kind kind, std::size_t index)
    : keepAlive_(static_cast<Dispatch*>(chart)), chart_(chart), kind_(kind), index_(index) {}

ResultCode ChartMember::Child(Kind kind, std::span<Variant> arguments, Variant* result,
                              std::size_t index) {
    return ReturnProperty(arguments, result,
                          ComPointer<Dispatch>(new ChartMember(chart_, kind, index)));
}

ResultCode ChartMember::Invoke(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                               Variant* result) {
    if (!chart_->OnOwnThread())
        return results::WrongThread;
    const bool get = kind == InvokeKind::PropertyGet;
    switch (kind_) {
    case Kind::Axes:
        if (get && id == LeftAxis)
            return Child(Kind::LeftAxis, arguments, result);
        if (get && id == BottomAxis)
            return Child(Kind::BottomAxis, arguments, result);
        break;
    case Kind::LeftAxis:
    case Kind::BottomAxis:
        return InvokeAxis(kind_ == Kind::LeftAxis, id, kind, arguments, result);
    case Kind::Canvas:
        return InvokeCanvas(id, kind, arguments, result);
    case Kind::CanvasFont:
        if (id == FontBold) {
            bool bold = chart_->CanvasBold();
            const ResultCode done = BooleanProperty(&bold, kind, arguments, result);
            chart_->SetCanvasBold(bold);
            return done;
        }
        break;
    case Kind::Export:
        if (get && id == NativeExport)
            return Child(Kind::NativeExport, arguments, result);
        if (get && id == PictureExport)
            return Child(Kind::PictureExport, arguments, result);
        break;
    case Kind::NativeExport:
        return InvokeNativeExport(id, kind, arguments, result);
    case Kind::PictureExport:
        return InvokePictureExport(id, kind, arguments, result);
    case Kind::BackImage:
        if (id == LoadPicture && kind == InvokeKind::Method) {
            if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
                return check;
            std::string path;
            if (ResultCode check = arguments[0].ToText(&path); Failed(check))
                return check;
            return chart_->LoadBackdrop(path);
        }
        break;
    case Kind::Tools:
        if (id == ToolItem && kind != InvokeKind::PropertyPut) {
            std::size_t index = 0;
            if (ResultCode check =
                    IndexArgument(arguments, chart_->Settings().tools.size(), &index);
                Failed(check))
                return check;
            return Child(Kind::Annotation, {}, result, index);
        }
        break;
    case Kind::Annotation:
        return InvokeAnnotation(id, kind, arguments, result);
    case Kind::AnnotationShape:
        return InvokeShape(id, kind, arguments, result);
    case Kind::SeriesPointer:
        if (id == PointerVisible) {
            if (index_ >= chart_->Settings().series.size())
                return results::BadIndex;
            bool& visible = chart_->Settings().series[index_].pointerVisible;
            const ResultCode done = BooleanProperty(&visible, kind, arguments, result);
            if (IsPut(kind))
                chart_->Changed();
            return done;
        }
        break;
    case Kind::SeriesValues:
        return InvokeValues(id, kind, arguments, result);
    }
    return results::MemberNotFound;
}

ResultCode ChartMember::InvokeAxis(bool left, std::int32_t id, InvokeKind kind,
                                   std::span<Variant> arguments, Variant* result) {
    if (id != AxisPosition || kind != InvokeKind::PropertyGet)
        return results::MemberNotFound;
    if (ResultCode check = ExpectArguments(arguments, 0); Failed(check))
        return check;
    const QRect plot = chart_->Layout().plot;
    std::int32_t position = 0;
    if (!plot.isNull())
        position = left ? plot.left() : plot.bottom();
    if (result)
        *result = Variant(position);
    return results::Ok;
}

ResultCode ChartMember::InvokeCanvas(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                                     Variant* result) {
    if (id == CanvasFont && kind == InvokeKind::PropertyGet)
        return Child(Kind::CanvasFont, arguments, result);
    if (kind != InvokeKind::Method)
        return results::MemberNotFound;
    if (id == TextOut) {
        if (ResultCode check = ExpectArguments(arguments, 3); Failed(check))
            return check;
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::string text;
        for (ResultCode check :
             {arguments[0].ToInteger(&x), arguments[1].ToInteger(&y), arguments[2].ToText(&text)})
            if (Failed(check))
                return check;
        QPainter* painter = chart_->Drawing();
        if (!painter)
            return results::Unexpected;
        const QFont font = chart_->CanvasFont();
        painter->setFont(font);
        painter->drawText(QPoint(x, y + QFontMetrics(font).ascent()), QString::fromStdString(text));
        chart_->Log().Add("text", x, y, text);
        return results::Ok;
    }
    if (id == TextHeight) {
        if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
            return check;
        std::string text;
        if (ResultCode check = arguments[0].ToText(&text); Failed(check))
            return check;
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return results::Unexpected;
        if (result)
            *result =
                Variant(static_cast<std::int32_t>(QFontMetrics(chart_->CanvasFont()).height()));
        return results::Ok;
    }
    return results::MemberNotFound;
}

ResultCode ChartMember::InvokeNativeExport(std::int32_t id, InvokeKind kind,
                                           std::span<Variant> arguments, Variant* result) {
    if (kind != InvokeKind::Method)
        return results::MemberNotFound;
    if (id == SaveToStream) {
        if (ResultCode check = ExpectArguments(arguments, 0); Failed(check))
            return check;
        const std::string text = ChartFileText(chart_->Model());
        if (result)
            *result = Variant(std::vector<std::uint8_t>(text.begin(), text.end()));
        return results::Ok;
    }
    if (id != SaveToFile && id != LoadFromFile && id != LoadFromStream)
        return results::MemberNotFound;
    if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
        return check;
    ChartModel model;
    if (id == LoadFromStream) {
        std::vector<std::uint8_t> bytes;
        if (ResultCode check = arguments[0].ToBytes(&bytes); Failed(check))
            return check;
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (ResultCode read = ReadChartFile(text, &model); Failed(read))
            return read;
        return chart_->LoadChart(std::move(model));
    }
    std::string path;
    if (ResultCode check = arguments[0].ToText(&path); Failed(check))
        return check;
    if (path.empty())
        return results::InvalidArgument;
    if (id == SaveToFile)
        return SaveChartFile(path, chart_->Model());
    if (ResultCode read = LoadChartFile(path, &model); Failed(read))
        return read;
    return chart_->LoadChart(std::move(model));
}

ResultCode ChartMember::InvokePictureExport(std::int32_t id, InvokeKind kind,
                                            std::span<Variant> arguments, Variant* result) {
    if (id != SaveToStream || kind != InvokeKind::Method)
        return results::MemberNotFound;
    if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
        return check;
    bool withEvents = false;
    if (ResultCode check = arguments[0].ToBoolean(&withEvents); Failed(check))
        return check;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return results::Unexpected;
    const QImage image = chart_->Image(chart_->ShownSize(), withEvents);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return results::Fail;
    if (result)
        *result = Variant(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return results::Ok;
}

ResultCode ChartMember::InvokeAnnotation(std::int32_t id, InvokeKind kind,
                                         std::span<Variant> arguments, Variant* result) {
    auto& tools = chart_->Settings().tools;
    if (index_ >= tools.size())
        return results::BadIndex;
    if (id == AnnotationShape && kind == InvokeKind::PropertyGet)
        return Child(Kind::AnnotationShape, arguments, result, index_);
    if (id != AnnotationText)
        return results::MemberNotFound;
    std::string& text = tools[index_].text;
    if (kind == InvokeKind::PropertyGet)
        return ReturnProperty(arguments, result, Variant(text));
    if (!IsPut(kind))
        return results::MemberNotFound;
    if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
        return check;
    if (ResultCode check = arguments[0].ToText(&text); Failed(check))
        return check;
    chart_->Changed();
    return results::Ok;
}

ResultCode ChartMember::InvokeShape(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                                    Variant* result) {
    auto& tools = chart_->Settings().tools;
    if (index_ >= tools.size())
        return results::BadIndex;
    AnnotationSettings& tool = tools[index_];
    ResultCode done = results::MemberNotFound;
    if (id == ShapeLeft)
        done = IntegerProperty(&tool.left, kind, arguments, result, AnyValue);
    else if (id == ShapeTop)
        done = IntegerProperty(&tool.top, kind, arguments, result, AnyValue);
    else if (id == ShapeTransparency)
        done = IntegerProperty(&tool.transparency, kind, arguments, result, Percent);
    if (Succeeded(done) && IsPut(kind))
        chart_->Changed();
    return done;
}

ResultCode ChartMember::InvokeValues(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                                     Variant* result) {
    if (index_ >= chart_->Model().points.size())
        return results::BadIndex;
    const PointStore& store = chart_->Model().points[index_];
    if ((id == ValuesMaximum || id == ValuesMinimum) && kind == InvokeKind::PropertyGet) {
        if (ResultCode check = ExpectArguments(arguments, 0); Failed(check))
            return check;
        double value = 0;
        if (store.Count() > 0)
            value = id == ValuesMaximum ? store.MaximumY() : store.MinimumY();
        if (result)
            *result = Variant(value);
        return results::Ok;
    }
    if (id == ValuesValue && kind != InvokeKind::PropertyPut) {
        std::size_t index = 0;
        if (ResultCode check = IndexArgument(arguments, store.Count(), &index); Failed(check))
            return check;
        if (result)
            *result = Variant(store.Y(index));
        return results::Ok;
    }
    return results::MemberNotFound;
}

} // namespace kelvo
