#pragma once

#include "chart/ChartModel.h"
#include "chart/ChartRenderer.h"
#include "chart/ChartWidget.h"
#include "chart/DrawLog.h"
#include "platform/com/Control.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Events.h"

#include <QImage>
#include <QPointer>
#include <thread>

namespace kelvo {

// The chart control. Hosts reach it through its dispatch interface (members in
// chart/ChartIds.h); the command bar and the tests of this library also use the
// C++ members below. Every call belongs to the thread that created the chart;
// dispatch calls from any other thread give WrongThread.
class ChartControl final : public Object<Dispatch, Control, PersistProperties, EventSource>,
                           private ChartDrawEvents {
public:
    static ResultCode Create(const Guid& interfaceId, void** object);
    // The live chart with this link value, or null.
    static ChartControl* FromLink(std::int32_t link);

    ResultCode Invoke(std::int32_t dispatchId, InvokeKind kind, std::span<Variant> arguments,
                      Variant* result) override;
    ResultCode Attach(QWidget* site) override;
    ResultCode Load(std::string_view properties) override;
    ResultCode Connect(EventSink* sink, std::uint32_t* cookie) override;
    ResultCode Disconnect(std::uint32_t cookie) override;

    std::int32_t Link() const { return link_; }
    const ChartModel& Model() const { return model_; }
    ChartWidget* Widget() const { return widget_; }
    bool OnOwnThread() const { return std::this_thread::get_id() == thread_; }

    // BadIndex for a series the chart lacks, InvalidArgument for a value that
    // is not finite (it could be neither drawn nor scaled).
    ResultCode AddPoint(std::size_t series, double x, double y, std::string_view label,
                        std::size_t* index);
    ResultCode ClearSeries(std::size_t series);

    void Zoom(double factor);
    void Move(double horizontal, double vertical);
    void ResetView();
    // Drawn as the widget draws; with events, the sinks' handlers run and
    // may draw too.
    QImage Image(QSize size, bool withEvents = true);
    // The size the chart shows at: its widget's, else its designed size.
    QSize ShownSize() const;

    // For the chart's sub-objects (chart/ChartMembers.h).
    ChartSettings& Settings() { return model_.settings; }
    // Asks for one repaint; repeated asks before it happens cost nothing more.
    void Changed();
    const ChartLayout& Layout() const { return layout_; }
    // The painter of the frame being drawn, during the after-draw event only.
    QPainter* Drawing() const { return drawing_; }
    QFont CanvasFont() const;
    bool CanvasBold() const { return canvasBold_; }
    void SetCanvasBold(bool bold) { canvasBold_ = bold; }
    const DrawLog& Log() const { return log_; }
    // FileNotFound, or InvalidArgument for a file that is no picture.
    ResultCode LoadBackdrop(const std::string& path);
    // Replaces settings and points; InvalidArgument (and nothing changes) for
    // a chart file that does not read.
    ResultCode LoadChart(ChartModel&& model);

private:
    ChartControl();
    ~ChartControl() override;

    void DrawBackground(QPainter& painter, QRect bounds) override;
    void LaidOut(QPainter& painter, const ChartLayout& layout) override;
    void DrawOverSeries(QPainter& painter, const ChartLayout& layout) override;
    void BeforeDrawSeries() override;
    void AfterDraw() override;
    void AxisLabel(std::size_t index, std::string* text) override;

    ChartModel model_;
    QPointer<ChartWidget> widget_;
    EventSinkList sinks_;
    std::int32_t link_;
    std::thread::id thread_;
    ChartLayout layout_;
    QPainter* drawing_ = nullptr;
    bool canvasBold_ = false;
    bool eventsMuted_ = false;
    QImage backdrop_;
    DrawLog log_;
};

} // namespace kelvo
