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
