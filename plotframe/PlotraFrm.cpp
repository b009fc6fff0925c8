#include "plotframe/PlotraFrm.h"

#include "chart/ChartIds.h"
#include "platform/com/Creation.h"
#include "platform/com/Variant.h"
#include "plotframe/ChartCalls.h"
#include "plotframe/FrameHandlers.h"
#include "plotframe/PChart1Properties.h"
#include "plotframe/PlotFrameIds.h"

#include <QApplication>
#include <QEvent>
#include <QLocale>
#include <QWidget>

namespace kelvo {

namespace {

// Hears the chart's events for the frame. It holds the frame by a plain
// pointer, which the frame clears before it goes: the chart holds the sink,
// and a counted reference back would keep both alive for ever.
class ChartEventSink final : public Object<EventSink> {
public:
    explicit ChartEventSink(PlotraFrm* frame) : frame_(frame) {}
    void Forget() { frame_ = nullptr; }

    ResultCode OnEvent(std::int32_t position, std::span<Variant> arguments) override {
        return frame_ ? frame_->OnChartEvent(position, arguments) : results::Ok;
    }

private:
    PlotraFrm* frame_;
};

// The frame's surface: it fills the host's site; the chart's own site inside
// keeps its designed size whatever the frame's size.
class FrameWidget final : public QWidget {
public:
    explicit FrameWidget(QWidget* site) : QWidget(site), site_(site) {
        setGeometry(site->rect());
        site->installEventFilter(this);
    }
    QSize sizeHint() const override { return QSize(PlotraFrmWidth, PlotraFrmHeight); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == site_ && event->type() == QEvent::Resize)
            setGeometry(site_->rect());
        return false;
    }

private:
    QWidget* site_;
};

} // namespace

ResultCode PlotraFrm::Create(const Guid& interfaceId, void** object) {
    if (!object)
        return results::NullPointer;
    *object = nullptr;
    ComPointer<PlotraFrm> frame(new PlotraFrm);
    if (const ResultCode created = frame->CreateChart(); Failed(created))
        return created;
    return frame->QueryInterface(interfaceId, object);
}

ResultCode PlotraFrm::CreateChart() {
    ResultCode result = CreateObject(ChartProgId, &chartControl_);
    if (Failed(result))
        return result;
    ComPointer<PersistProperties> persist;
    if (Failed(result = chartControl_.Query(&persist)) ||
        Failed(result = persist->Load(PChart1Properties)) ||
        Failed(result = chartControl_.Query(&chart_)) ||
        Failed(result = chartControl_.Query(&chartEvents_)))
        return result;

    // The creation steps: series 0 shows its pointer, at 10 % transparency.
    ComPointer<Dispatch> series;
    ComPointer<Dispatch> pointer;
    if (Failed(result = chart_calls::CallObject(chart_.Get(), chart_members::Series,
                                                {std::int32_t{0}}, &series)) ||
        Failed(result = chart_calls::GetObject(series.Get(), chart_members::Pointer, &pointer)) ||
        Failed(result = PutProperty(pointer.Get(), chart_members::PointerVisible, true)) ||
        Failed(result = PutProperty(series.Get(), chart_members::Transparency, std::int32_t{10})))
        return result;

    auto* sink = new ChartEventSink(this);
    chartSink_ = ComPointer<EventSink>(sink);
    if (Failed(result = chartEvents_->Connect(chartSink_.Get(), &chartCookie_))) {
        sink->Forget();
        chartSink_.Reset();
    }
    return result;
}

PlotraFrm::~PlotraFrm() {
    if (chartSink_) {
        static_cast<ChartEventSink*>(chartSink_.Get())->Forget();
        chartEvents_->Disconnect(chartCookie_);
    }
    chartEvents_.Reset();
    chart_.Reset();
    chartControl_.Reset();
    delete widget_.data();
}

ResultCode PlotraFrm::QueryInterface(const Guid& interfaceId, void** object) {
    if (interfaceId == PlotraFrmInterfaceId)
        return Object::QueryInterface(Dispatch::InterfaceId, object);
    return Object::QueryInterface(interfaceId, object);
}

ResultCode PlotraFrm::Invoke(std::int32_t dispatchId, InvokeKind kind, std::span<Variant> arguments,
                             Variant* result) {
    using namespace frame_members;
    switch (dispatchId) {
    case SaveFile: {
        if (kind != InvokeKind::PropertyPut)
            return results::MemberNotFound;
        if (ResultCode check = ExpectArguments(arguments, 2); Failed(check))
            return check;
        std::string ignored;
        for (const Variant& argument : arguments)
            if (ResultCode check = argument.ToText(&ignored); Failed(check))
                return check;
        return results::Ok;
    }
    case frame_members::MySaveToFile:
        return kind == InvokeKind::Method ? this->MySaveToFile(arguments) : results::MemberNotFound;
    case frame_members::ChangeBackDrop:
        return kind == InvokeKind::Method ? this->ChangeBackDrop(arguments)
                                          : results::MemberNotFound;
    case frame_members::MyStreamChart:
        return kind == InvokeKind::Method ? this->MyStreamChart(arguments, result)
                                          : results::MemberNotFound;
    case PChart1:
        return kind == InvokeKind::PropertyGet ? ReturnProperty(arguments, result, Variant(chart_))
                                               : results::MemberNotFound;
    default:
        return results::MemberNotFound;
    }
}

ResultCode PlotraFrm::MySaveToFile(std::span<Variant> arguments) {
    if (ResultCode check = ExpectArguments(arguments, 2); Failed(check))
        return check;
    std::string path;
    std::string name;
    if (ResultCode check = arguments[0].ToText(&path); Failed(check))
        return check;
    if (ResultCode check = arguments[1].ToText(&name); Failed(check))
        return check;
    ComPointer<Dispatch> exporters;
    ComPointer<Dispatch> native;
    ResultCode result = chart_calls::GetObject(chart_.Get(), chart_members::Export, &exporters);
    if (Succeeded(result))
        result = chart_calls::GetObject(exporters.Get(), chart_members::NativeExport, &native);
    // Joined as they come: the path must end with its separator.
    if (Succeeded(result))
        result = CallMethod(native.Get(), chart_members::SaveToFile, {path + name});
    return result;
}

ResultCode PlotraFrm::ChangeBackDrop(std::span<Variant> arguments) {
    if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
        return check;
    std::string name;
    if (ResultCode check = arguments[0].ToText(&name); Failed(check))
        return check;
    ComPointer<Dispatch> backdrop;
    ResultCode result = chart_calls::GetObject(chart_.Get(), chart_members::BackImage, &backdrop);
    if (Succeeded(result))
        result = CallMethod(backdrop.Get(), chart_members::LoadPicture, {name});
    return result;
}

ResultCode PlotraFrm::MyStreamChart(std::span<Variant> arguments, Variant* result) {
    if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
        return check;
    std::int16_t outputType = 0;
    if (ResultCode check = arguments[0].ToShort(&outputType); Failed(check))
        return check;
    Variant stream;
    if (outputType == 0 || outputType == 1) {
        ComPointer<Dispatch> exporters;
        ComPointer<Dispatch> exporter;
        ResultCode called = chart_calls::GetObject(chart_.Get(), chart_members::Export, &exporters);
        if (Succeeded(called))
            called = chart_calls::GetObject(exporters.Get(),
                                            outputType == 0 ? chart_members::NativeExport
                                                            : chart_members::PictureExport,
                                            &exporter);
        if (Succeeded(called))
            called = outputType == 0
                         ? CallMethod(exporter.Get(), chart_members::SaveToStream, {}, &stream)
                         : CallMethod(exporter.Get(), chart_members::SaveToStream, {true}, &stream);
        if (Failed(called))
            return called;
    }
    if (result)
        *result = std::move(stream);
    return results::Ok;
}

ResultCode PlotraFrm::Attach(QWidget* site) {
    if (!site)
        return results::NullPointer;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || widget_)
        return results::Unexpected;
    auto* frame = new FrameWidget(site);
    widget_ = frame;
    auto* chartSite = new QWidget(frame);
    chartSite->setObjectName(QStringLiteral("PChart1"));
    chartSite->setGeometry(0, 0, PChart1Width, PChart1Height);
    const ResultCode result = chartControl_->Attach(chartSite);
    if (Failed(result)) {
        delete widget_.data();
        return result;
    }
    frame->show();
    return results::Ok;
}

ResultCode PlotraFrm::Connect(EventSink* sink, std::uint32_t* cookie) {
    return sinks_.Connect(sink, cookie);
}

ResultCode PlotraFrm::Disconnect(std::uint32_t cookie) {
    return sinks_.Disconnect(cookie);
}

ResultCode PlotraFrm::OnChartEvent(std::int32_t position, std::span<Variant> arguments) {
    switch (position) {
    case chart_events::AfterDraw:
        return DrawRangeCaption(chart_.Get());
    case chart_events::BeforeDrawSeries: {
        // Our texts are narrow: a separator beyond Latin-1 falls back to a point.
        const QString point = QLocale().decimalPoint();
        const char separator = point.size() == 1 ? point.front().toLatin1() : '\0';
        return MarkHighestPoint(chart_.Get(), separator ? separator : '.');
    }
    case chart_events::AxisLabel:
        return AddLabelSuffix(arguments);
    default:
        return results::Ok;
    }
}

} // namespace kelvo
