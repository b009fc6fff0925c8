#pragma once

#include "platform/com/Control.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Events.h"

#include <QPointer>

class QWidget;

namespace kelvo {

// The chart-frame control: its whole surface is the chart PChart1, created by
// class "Plotra.PChart" through the component layer. It keeps no data of its
// own; its members and its handlers of the chart's events work on the chart.
// On the user-interface thread only, like the chart.
class PlotraFrm final : public Object<Dispatch, Control, EventSource> {
public:
    // Fails with the chart's failure when PChart1 cannot be created or set up.
    static ResultCode Create(const Guid& interfaceId, void** object);

    // The default interface _PlotraFrm is dual: it answers as the dispatch interface.
    ResultCode QueryInterface(const Guid& interfaceId, void** object) override;
    ResultCode Invoke(std::int32_t dispatchId, InvokeKind kind, std::span<Variant> arguments,
                      Variant* result) override;
    ResultCode Attach(QWidget* site) override;
    // The event interface declares no events: sinks connect and hear nothing.
    ResultCode Connect(EventSink* sink, std::uint32_t* cookie) override;
    ResultCode Disconnect(std::uint32_t cookie) override;

    // From the chart's event sink.
    ResultCode OnChartEvent(std::int32_t position, std::span<Variant> arguments);

private:
    PlotraFrm() = default;
    ~PlotraFrm() override;
    ResultCode CreateChart();

    ResultCode MySaveToFile(std::span<Variant> arguments);
    ResultCode ChangeBackDrop(std::span<Variant> arguments);
    ResultCode MyStreamChart(std::span<Variant> arguments, Variant* result);

    ComPointer<Dispatch> chart_;
    ComPointer<Control> chartControl_;
    ComPointer<EventSource> chartEvents_;
    ComPointer<EventSink> chartSink_;
    std::uint32_t chartCookie_ = 0;
    EventSinkList sinks_;
    QPointer<QWidget> widget_;
};

} // namespace kelvo
