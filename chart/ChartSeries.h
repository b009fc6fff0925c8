#pragma once

#include "platform/com/Dispatch.h"

#include <cstddef>

namespace kelvo {

class ChartControl;

// One series of a chart, handed out by the chart's series member. It keeps its
// chart alive while a caller holds it.
class ChartSeries final : public Object<Dispatch> {
public:
    ChartSeries(ChartControl* chart, std::size_t index);

    ResultCode Invoke(std::int32_t dispatchId, InvokeKind kind, std::span<Variant> arguments,
                      Variant* result) override;

private:
    // Members past adding and clearing: count, pointer, transparency, values, pixels.
    ResultCode InvokeMore(std::int32_t dispatchId, InvokeKind kind, std::span<Variant> arguments,
                          Variant* result);

    ComPointer<Dispatch> keepAlive_;
    ChartControl* chart_;
    std::size_t index_;
};

} // namespace kelvo
