#pragma once

#include "platform/com/Guid.h"

#include <cstdint>

namespace kelvo {

// The chart control library, its classes and the members its hosts call.
inline constexpr const char* ChartLibraryFileName = "Plotra5.ocx";
inline constexpr const char* ChartProgId = "Plotra.PChart";
inline constexpr const char* CommandBarProgId = "Plotra.PCommander";
inline constexpr Guid ChartClassId = GuidLiteral("{3F2C9A61-5D7E-4B0A-9E41-7C2D18F0B5A3}");
inline constexpr Guid CommandBarClassId = GuidLiteral("{3F2C9A62-5D7E-4B0A-9E41-7C2D18F0B5A3}");

// Dispatch ids.
namespace chart_members {
// Chart: property get, no arguments, a 32-bit integer naming the chart.
inline constexpr std::int32_t ChartLink = 48;
// Chart: method (series index as a 32-bit integer), the series' dispatch interface.
inline constexpr std::int32_t Series = 56;
// Series: method (x double, y double, label text, colour 32-bit), the new point's index.
inline constexpr std::int32_t AddPoint = 48;
// Series: method, no arguments.
inline constexpr std::int32_t Clear = 56;
// Command bar: property put (or get) of the linked chart's link value.
inline constexpr std::int32_t CommandBarChartLink = 1;

// Chart: property gets, no arguments, each a sub-object's dispatch interface.
inline constexpr std::int32_t Axes = 2;
inline constexpr std::int32_t Canvas = 3;
inline constexpr std::int32_t Export = 9;
inline constexpr std::int32_t BackImage = 17;
inline constexpr std::int32_t Tools = 51;

// Axes: property gets of the left (first) and the bottom (second) axis.
inline constexpr std::int32_t LeftAxis = 1;
inline constexpr std::int32_t BottomAxis = 2;
// Axis: property get, the pixel where the axis was last drawn (32-bit): the
// left axis's x, the bottom axis's y; 0 before the first frame.
inline constexpr std::int32_t AxisPosition = 1;

// Canvas, usable during the after-draw event: its font (property get), whose
// Bold (property put or get, boolean) applies to the texts drawn after it.
inline constexpr std::int32_t CanvasFont = 1;
inline constexpr std::int32_t FontBold = 1;
// Canvas: method (x 32-bit, y 32-bit, text): draws the text with its top left
// at that pixel; Unexpected outside the after-draw event.
inline constexpr std::int32_t TextOut = 2;
// Canvas: method (text), its height in pixels in the canvas font (32-bit).
inline constexpr std::int32_t TextHeight = 3;

// Export: property gets of the native exporter (the chart's own file, see
// chart/ChartFile.h) and the picture exporter (PNG).
inline constexpr std::int32_t NativeExport = 1;
inline constexpr std::int32_t PictureExport = 2;
// Native exporter: method (file name): writes the file.
inline constexpr std::int32_t SaveToFile = 1;
// Native exporter: method (), the file's bytes; picture exporter: method
// (boolean: true to draw with the chart's events, as the chart shows itself),
// the PNG's bytes.
inline constexpr std::int32_t SaveToStream = 2;
// Native exporter: method (file name) or (bytes): replaces the chart's
// settings and points with the file's.
inline constexpr std::int32_t LoadFromFile = 3;
inline constexpr std::int32_t LoadFromStream = 4;

// Backdrop: method (picture file name): shown behind the chart from then on.
inline constexpr std::int32_t LoadPicture = 1;

// Tools: method (index 32-bit), the annotation tool's dispatch interface.
inline constexpr std::int32_t ToolItem = 1;
// Annotation: Text (put or get, text), Shape (get), the box.
inline constexpr std::int32_t AnnotationText = 1;
inline constexpr std::int32_t AnnotationShape = 2;
// Annotation box: puts or gets of 32-bit integers; transparency in percent.
inline constexpr std::int32_t ShapeLeft = 1;
inline constexpr std::int32_t ShapeTop = 2;
inline constexpr std::int32_t ShapeTransparency = 3;

// Series: number of points (get, 32-bit); Pointer (get), whose Visible (put or
// get, boolean) draws a small square on each point; Transparency (put or get,
// 0 to 100 percent) of the line and its pointers.
inline constexpr std::int32_t PointCount = 3;
inline constexpr std::int32_t Pointer = 4;
inline constexpr std::int32_t PointerVisible = 1;
inline constexpr std::int32_t Transparency = 5;
// Series: YValues (get), the y-value list: Maximum and Minimum (gets, double;
// 0 for an empty series) and Value (method, index 32-bit, double).
inline constexpr std::int32_t YValues = 6;
inline constexpr std::int32_t ValuesMaximum = 1;
inline constexpr std::int32_t ValuesMinimum = 2;
inline constexpr std::int32_t ValuesValue = 3;
// Series: methods (index 32-bit), the pixel x and y of that point in the last
// frame's layout (32-bit); Overflow when it lies beyond 32 bits.
inline constexpr std::int32_t CalcXPos = 7;
inline constexpr std::int32_t CalcYPos = 8;
} // namespace chart_members

// Positions of the chart's events in its event interface.
namespace chart_events {
// After a whole frame is drawn; no arguments.
inline constexpr std::int32_t AfterDraw = 9;
// After the axes are laid out, before the series are drawn; no arguments.
inline constexpr std::int32_t BeforeDrawSeries = 10;
// Before a label of the bottom axis is drawn: axis (32-bit, 3 = bottom), point
// index (32-bit), label text by reference, which the sink may change.
inline constexpr std::int32_t AxisLabel = 37;
inline constexpr std::int32_t BottomAxis = 3;
} // namespace chart_events

} // namespace kelvo
