#include "plotframe/FrameHandlers.h"

#include "chart/ChartIds.h"
#include "platform/com/Variant.h"
#include "plotframe/ChartCalls.h"
#include "plotframe/NumberText.h"

#include <cmath>

namespace kelvo {

namespace {

using namespace chart_calls;
using namespace chart_members;

// Stops the handler with the first failing call's result.
#define KELVO_CHECK(call)                                                                          \
    do {                                                                                           \
        if (const ResultCode checked = (call); Failed(checked))                                    \
            return checked;                                                                        \
    } while (false)

ResultCode Add(std::int32_t left, std::int32_t right, std::int32_t* sum) {
    return __builtin_add_overflow(left, right, sum) ? results::Overflow : results::Ok;
}

// The left axis's x and the bottom axis's y, read afresh.
ResultCode AxesOrigin(Dispatch* chart, std::int32_t* x0, std::int32_t* y0) {
    ComPointer<Dispatch> axes;
    ComPointer<Dispatch> axis;
    KELVO_CHECK(GetObject(chart, Axes, &axes));
    KELVO_CHECK(GetObject(axes.Get(), LeftAxis, &axis));
    KELVO_CHECK(GetInteger(axis.Get(), AxisPosition, x0));
    KELVO_CHECK(GetObject(chart, Axes, &axes));
    KELVO_CHECK(GetObject(axes.Get(), BottomAxis, &axis));
    return GetInteger(axis.Get(), AxisPosition, y0);
}

ResultCode DrawText(Dispatch* chart, std::int32_t x, std::int32_t y, std::string text) {
    ComPointer<Dispatch> canvas;
    KELVO_CHECK(GetObject(chart, Canvas, &canvas));
    return CallMethod(canvas.Get(), TextOut, {x, y, std::move(text)});
}

ResultCode FirstSeries(Dispatch* chart, ComPointer<Dispatch>* series) {
    return CallObject(chart, Series, {std::int32_t{0}}, series);
}

} // namespace

ResultCode DrawRangeCaption(Dispatch* chart) {
    ComPointer<Dispatch> canvas;
    ComPointer<Dispatch> font;
    KELVO_CHECK(GetObject(chart, Canvas, &canvas));
    KELVO_CHECK(GetObject(canvas.Get(), CanvasFont, &font));
    KELVO_CHECK(PutProperty(font.Get(), FontBold, true));

    std::int32_t x0 = 0;
    std::int32_t y0 = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    KELVO_CHECK(AxesOrigin(chart, &x0, &y0));
    KELVO_CHECK(Add(x0, 20, &x));
    KELVO_CHECK(Add(y0, -50, &y));
    KELVO_CHECK(DrawText(chart, x, y, "Y Data range:"));

    KELVO_CHECK(AxesOrigin(chart, &x0, &y0));
    std::int32_t height = 0;
    KELVO_CHECK(GetObject(chart, Canvas, &canvas));
    KELVO_CHECK(CallInteger(canvas.Get(), TextHeight, {"D"}, &height));
    ComPointer<Dispatch> series;
    ComPointer<Dispatch> values;
    double smallest = 0;
    double largest = 0;
    KELVO_CHECK(FirstSeries(chart, &series));
    KELVO_CHECK(GetObject(series.Get(), YValues, &values));
    KELVO_CHECK(GetDouble(values.Get(), ValuesMinimum, &smallest));
    KELVO_CHECK(GetDouble(values.Get(), ValuesMaximum, &largest));
    // The difference of two far-apart doubles can leave the doubles too.
    const double range = largest - smallest;
    if (!std::isfinite(range))
        return results::Overflow;
    KELVO_CHECK(Add(x0, 20, &x));
    KELVO_CHECK(Add(y0, -50, &y));
    KELVO_CHECK(Add(y, height, &y));
    KELVO_CHECK(Add(y, 5, &y));
    return DrawText(chart, x, y, BlankNumberText(range));
}

ResultCode MarkHighestPoint(Dispatch* chart, char decimalPoint) {
    ComPointer<Dispatch> series;
    ComPointer<Dispatch> values;
    std::int32_t count = 0;
    KELVO_CHECK(FirstSeries(chart, &series));
    KELVO_CHECK(GetInteger(series.Get(), PointCount, &count));
    KELVO_CHECK(GetObject(series.Get(), YValues, &values));
    std::int32_t pixelX = 0;
    std::int32_t pixelY = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        double value = 0;
        double largest = 0;
        KELVO_CHECK(CallDouble(values.Get(), ValuesValue, {i}, &value));
        KELVO_CHECK(GetDouble(values.Get(), ValuesMaximum, &largest));
        // The last of equal maxima wins.
        if (value == largest) {
            KELVO_CHECK(CallInteger(series.Get(), CalcXPos, {i}, &pixelX));
            KELVO_CHECK(CallInteger(series.Get(), CalcYPos, {i}, &pixelY));
        }
    }
    ComPointer<Dispatch> tools;
    ComPointer<Dispatch> annotation;
    ComPointer<Dispatch> shape;
    double largest = 0;
    KELVO_CHECK(GetObject(chart, Tools, &tools));
    KELVO_CHECK(CallObject(tools.Get(), ToolItem, {std::int32_t{0}}, &annotation));
    KELVO_CHECK(GetDouble(values.Get(), ValuesMaximum, &largest));
    KELVO_CHECK(
        PutProperty(annotation.Get(), AnnotationText,
                    "Data sensitive.\rHighest val: " + LocaleNumberText(largest, decimalPoint)));
    KELVO_CHECK(GetObject(annotation.Get(), AnnotationShape, &shape));
    KELVO_CHECK(PutProperty(shape.Get(), ShapeLeft, pixelX));
    KELVO_CHECK(PutProperty(shape.Get(), ShapeTop, pixelY));
    return PutProperty(shape.Get(), ShapeTransparency, std::int32_t{30});
}

ResultCode AddLabelSuffix(std::span<Variant> arguments) {
    KELVO_CHECK(ExpectArguments(arguments, 3));
    std::int32_t index = 0;
    std::string* text = nullptr;
    KELVO_CHECK(arguments[1].ToInteger(&index));
    KELVO_CHECK(arguments[2].ToTextReference(&text));
    *text += " Index:" + BlankNumberText(index);
    return results::Ok;
}

} // namespace kelvo
