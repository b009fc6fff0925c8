#pragma once

#include "chart/ChartModel.h"
#include "platform/com/Result.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvo {

// The chart's own file: the line "KelvoChart <version>", the chart's stored
// properties (one "Path=Value" line each, as ApplyProperties reads them), then
// one line "Point=<series>,<x>,<y>,<label>" per point in order, the label
// escaped as in TextEscape.h. Lines end in "\n".
inline constexpr std::string_view ChartFileMagic = "KelvoChart";
inline constexpr int ChartFileVersion = 1;
// More points than any chart holds in memory: a bound for damaged files.
inline constexpr std::size_t ChartFileMaximumPoints = 50'000'000;

// The stored properties that rebuild these settings.
std::string PropertiesText(const ChartSettings& settings);

std::string ChartFileText(const ChartModel& model);

// Reads a whole file's bytes. *model changes only on success; the view is reset.
// InvalidArgument for anything that is not a whole, valid chart file (bad magic,
// a property or point that does not read, a point of a series the file does not
// define, too many points), NotImplemented for a file of a newer version.
ResultCode ReadChartFile(std::string_view bytes, ChartModel* model);

// FileNotFound when missing, Fail when it cannot be read, else as ReadChartFile.
ResultCode LoadChartFile(const std::filesystem::path& path, ChartModel* model);
// WriteFault when the file cannot be written; an old file stays whole then.
ResultCode SaveChartFile(const std::filesystem::path& path, const ChartModel& model);

} // namespace kelvo
