#include "chart/ChartControl.h"

#include "chart/ChartDecorations.h"
#include "chart/ChartIds.h"
#include "chart/ChartMembers.h"
#include "chart/ChartSeries.h"
#include "chart/ChartWidget.h"
#include "chart/SiteFill.h"
#include "platform/com/Variant.h"

#include <QApplication>
#include <QPainter>
#include <cmath>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace kelvo {

namespace {

// Link values name live charts, so a command bar finds its chart by number.
struct LinkTable {
    std::mutex mutex;
    std::unordered_map<std::int32_t, ChartControl*> charts;
    std::int32_t next = 1;
};

LinkTable& Links() {
    static LinkTable table;
    return table;
}

} // namespace

ResultCode ChartControl::Create(const Guid& interfaceId, void** object) {
    ComPointer<ChartControl> chart = ComPointer<ChartControl>(new ChartControl);
    return chart->QueryInterface(interfaceId, object);
}

ChartControl* ChartControl::FromLink(std::int32_t link) {
    LinkTable& table = Links();
    std::lock_guard guard(table.mutex);
    const auto found = table.charts.find(link);
    return found == table.charts.end() ? nullptr : found->second;
}

ChartControl::ChartControl()
    : thread_(std::this_thread::get_id()), log_(DrawLog::FromEnvironment()) {
    LinkTable& table = Links();
    std::lock_guard guard(table.mutex);
    link_ = table.next++;
    table.charts[link_] = this;
}

ChartControl::~ChartControl() {
    {
        LinkTable& table = Links();
        std::lock_guard guard(table.mutex);
        table.charts.erase(link_);
    }
    delete widget_.data();
}

ResultCode ChartControl::Invoke(std::int32_t dispatchId, InvokeKind kind,
                                std::span<Variant> arguments, Variant* result) {
    if (!OnOwnThread())
        return results::WrongThread;
    if (dispatchId == chart_members::ChartLink && kind == InvokeKind::PropertyGet)
        return ReturnProperty(arguments, result, Variant(link_));
    if (const auto member = ChartMember::KindOfChartMember(dispatchId);
        member && kind == InvokeKind::PropertyGet)
        return ReturnProperty(arguments, result,
                              ComPointer<Dispatch>(new ChartMember(this, *member)));
    // Callers that bind late may ask for the series as a property too.
    if (dispatchId == chart_members::Series && kind != InvokeKind::PropertyPut) {
        if (ResultCode check = ExpectArguments(arguments, 1); Failed(check))
            return check;
        std::int32_t index = 0;
        if (ResultCode check = arguments[0].ToInteger(&index); Failed(check))
            return check;
        if (index < 0 || static_cast<std::size_t>(index) >= model_.points.size())
            return results::BadIndex;
        ComPointer<Dispatch> series(new ChartSeries(this, static_cast<std::size_t>(index)));
        if (result)
            *result = Variant(std::move(series));
        return results::Ok;
    }
    return results::MemberNotFound;
}

ResultCode ChartControl::Attach(QWidget* site) {
    if (!site)
        return results::NullPointer;
    if (!OnOwnThread())
        return results::WrongThread;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || widget_)
        return results::Unexpected;
    widget_ = new ChartWidget(
        model_, this, QSize(model_.settings.designWidth, model_.settings.designHeight), site);
    SiteFill::Attach(site, widget_);
    widget_->show();
    return results::Ok;
}

ResultCode ChartControl::Load(std::string_view properties) {
    if (!OnOwnThread())
        return results::WrongThread;
    const ResultCode result = ApplyProperties(properties, &model_.settings);
    model_.MatchSeries();
    Changed();
    return result;
}

ResultCode ChartControl::Connect(EventSink* sink, std::uint32_t* cookie) {
    if (!OnOwnThread())
        return results::WrongThread;
    return sinks_.Connect(sink, cookie);
}

ResultCode ChartControl::Disconnect(std::uint32_t cookie) {
    if (!OnOwnThread())
        return results::WrongThread;
    return sinks_.Disconnect(cookie);
}

ResultCode ChartControl::AddPoint(std::size_t series, double x, double y, std::string_view label,
                                  std::size_t* index) {
    if (series >= model_.points.size())
        return results::BadIndex;
    if (!std::isfinite(x) || !std::isfinite(y))
        return results::InvalidArgument;
    // Point indexes travel as 32-bit integers.
    if (model_.points[series].Count() >=
        static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return results::Overflow;
    const std::size_t added = model_.points[series].Append(x, y, label);
    if (index)
        *index = added;
    Changed();
    return results::Ok;
}

ResultCode ChartControl::ClearSeries(std::size_t series) {
    if (series >= model_.points.size())
        return results::BadIndex;
    model_.points[series].Clear();
    Changed();
    return results::Ok;
}

void ChartControl::Zoom(double factor) {
    model_.Zoom(factor);
    Changed();
}

void ChartControl::Move(double horizontal, double vertical) {
    model_.Move(horizontal, vertical);
    Changed();
}

void ChartControl::ResetView() {
    model_.ResetView();
    Changed();
}

QImage ChartControl::Image(QSize size, bool withEvents) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    eventsMuted_ = !withEvents;
    ChartRenderer::Paint(painter, image.rect(), model_, this);
    eventsMuted_ = false;
    drawing_ = nullptr;
    return image;
}

QSize ChartControl::ShownSize() const {
    if (widget_ && !widget_->size().isEmpty())
        return widget_->size();
    return QSize(std::max(1, model_.settings.designWidth),
                 std::max(1, model_.settings.designHeight));
}

QFont ChartControl::CanvasFont() const {
    QFont font = widget_ ? widget_->font() : QApplication::font();
    font.setBold(canvasBold_);
    return font;
}

ResultCode ChartControl::LoadBackdrop(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return results::FileNotFound;
    QImage picture;
    if (!picture.load(QString::fromStdString(path)))
        return results::InvalidArgument;
    backdrop_ = std::move(picture);
    // The backdrop lies in the widget's kept layers, which know nothing of it.
    if (widget_)
        widget_->ForgetKeptLayers();
    Changed();
    return results::Ok;
}

ResultCode ChartControl::LoadChart(ChartModel&& model) {
    model_ = std::move(model);
    // New points may match the old ones in number: nothing kept of them holds.
    if (widget_)
        widget_->ForgetKeptLayers();
    Changed();
    return results::Ok;
}

void ChartControl::DrawBackground(QPainter& painter, QRect bounds) {
    DrawBackdrop(painter, bounds, backdrop_);
}

void ChartControl::LaidOut(QPainter& painter, const ChartLayout& layout) {
    layout_ = layout;
    drawing_ = &painter;
}

void ChartControl::DrawOverSeries(QPainter& painter, const ChartLayout& layout) {
    DrawPointers(painter, layout, model_);
    DrawAnnotations(painter, model_.settings, log_);
}

void ChartControl::Changed() {
    // A sink that changes the chart while it draws (an annotation moved to
    // the highest point) is drawn in this very frame; asking for another would
    // repaint for ever.
    if (widget_ && !drawing_)
        widget_->update();
}

void ChartControl::BeforeDrawSeries() {
    if (!sinks_.IsEmpty() && !eventsMuted_)
        sinks_.Fire(chart_events::BeforeDrawSeries, {});
}

void ChartControl::AfterDraw() {
    if (!sinks_.IsEmpty() && !eventsMuted_ && drawing_) {
        // The canvas draws in its own font and colour, whatever the chart used last.
        drawing_->save();
        drawing_->setFont(CanvasFont());
        drawing_->setPen(Qt::black);
        sinks_.Fire(chart_events::AfterDraw, {});
        drawing_->restore();
    }
    drawing_ = nullptr;
}

void ChartControl::AxisLabel(std::size_t index, std::string* text) {
    if (sinks_.IsEmpty() || eventsMuted_ ||
        index > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        return;
    Variant arguments[] = {Variant(chart_events::BottomAxis),
                           Variant(static_cast<std::int32_t>(index)), Variant(text)};
    sinks_.Fire(chart_events::AxisLabel, arguments);
    log_.Add("label", static_cast<int>(index), 0, *text);
}

} // namespace kelvo
