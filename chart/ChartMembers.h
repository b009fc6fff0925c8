#pragma once

#include "platform/com/Dispatch.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kelvo {

class ChartControl;

// The chart's sub-objects that hosts reach through its dispatch members (ids
// in chart/ChartIds.h): axes, canvas, exporters, backdrop, tools, and a
// series' pointer and y-value list. Each keeps its chart alive while a caller
// holds it and works on the chart's thread only.
class ChartMember final : public Object<Dispatch> {
public:
    enum class Kind {
        Axes,
        LeftAxis,
        BottomAxis,
        Canvas,
        CanvasFont,
        Export,
        NativeExport,
        PictureExport,
        BackImage,
        Tools,
        Annotation,
        AnnotationShape,
        SeriesPointer,
        SeriesValues,
    };

    // The kind a chart's own dispatch id hands out, if it is one of these.
    static std::optional<Kind> KindOfChartMember(std::int32_t dispatchId);

    // index: the tool or the series the object belongs to.
    ChartMember(ChartControl* chart, Kind kind, std::size_t index = 0);

    ResultCode Invoke(std::int32_t dispatchId, InvokeKind kind, std::span<Variant> arguments,
                      Variant* result) override;

private:
    ResultCode Child(Kind kind, std::span<Variant> arguments, Variant* result,
                     std::size_t index = 0);
    ResultCode InvokeAxis(bool left, std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                          Variant* result);
    ResultCode InvokeCanvas(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                            Variant* result);
    ResultCode InvokeNativeExport(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                                  Variant* result);
    ResultCode InvokePictureExport(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                                   Variant* result);
    ResultCode InvokeAnnotation(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                                Variant* result);
    ResultCode InvokeShape(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                           Variant* result);
    ResultCode InvokeValues(std::int32_t id, InvokeKind kind, std::span<Variant> arguments,
                            Variant* result);

    ComPointer<Dispatch> keepAlive_;
    ChartControl* chart_;
    Kind kind_;
    std::size_t index_;
};

} // namespace kelvo
