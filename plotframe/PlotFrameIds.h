#pragma once

#include "platform/com/Guid.h"

#include <cstdint>

namespace kelvo {

// The chart-frame control library PlotFrameCtl, its type library, class and
// interfaces, and the members of its default interface, for its hosts.
inline constexpr const char* PlotFrameLibraryFileName = "PlotFrameCtl.ocx";
inline constexpr const char* PlotFrameLibraryName = "PlotFrameCtl";
inline constexpr const char* PlotraFrmProgId = "PlotFrameCtl.PlotraFrm";
inline constexpr const char* PlotFrameVersion = "1.00";
inline constexpr Guid PlotFrameLibraryId = GuidLiteral("{A97CDEA2-248C-11D6-959D-006008A7EED4}");
// The default interface, dual: its calls are the dispatch interface's.
inline constexpr Guid PlotraFrmInterfaceId = GuidLiteral("{A97CDEA3-248C-11D6-959D-006008A7EED4}");
inline constexpr Guid PlotraFrmClassId = GuidLiteral("{A97CDEA4-248C-11D6-959D-006008A7EED4}");
// The default source interface: it declares no events.
inline constexpr Guid PlotraFrmEventsId = GuidLiteral("{A97CDEA5-248C-11D6-959D-006008A7EED4}");

// The type library record: version, locale and flags.
inline constexpr const char* PlotFrameTypeLibraryVersion = "1.0";
inline constexpr const char* PlotFrameTypeLibraryLocale = "0x0409";
inline constexpr const char* PlotFrameTypeLibraryFlags = "control";

// The control's designed size and its chart's, in pixels.
inline constexpr int PlotraFrmWidth = 457;
inline constexpr int PlotraFrmHeight = 337;
inline constexpr int PChart1Width = 453;
inline constexpr int PChart1Height = 333;

namespace frame_members {
// Property put (Filepath text, value text); no get. Does nothing.
inline constexpr std::int32_t SaveFile = 0x68030000;
// Method (Filepath text, Filename text): the chart's native file at Filepath + Filename.
inline constexpr std::int32_t MySaveToFile = 0x60030005;
// Method (Filename text): the chart's backdrop picture.
inline constexpr std::int32_t ChangeBackDrop = 0x60030006;
// Method (OutputType 16-bit): 0 the native file's bytes, 1 a PNG's bytes, else empty.
inline constexpr std::int32_t MyStreamChart = 0x60030007;
// Property get: the hosted chart's own dispatch interface, so a host can add
// points to it.
inline constexpr std::int32_t PChart1 = 0x60030008;
} // namespace frame_members

} // namespace kelvo
