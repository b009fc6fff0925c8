#pragma once

#include "platform/com/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// A colour as the stored properties give it: 0x00BBGGRR.
using ColourValue = std::uint32_t;

constexpr ColourValue MakeColour(int red, int green, int blue) {
    return static_cast<ColourValue>(red | (green << 8) | (blue << 16));
}

struct AxisSettings {
    bool automatic = true;
    double minimum = 0;
    double maximum = 0;
    double increment = 0; // 0: chosen from the space available
    bool dateTime = false;
    bool operator==(const AxisSettings&) const = default;
};

enum class SeriesKind { FastLine, Line };

struct SeriesSettings {
    SeriesKind kind = SeriesKind::FastLine;
    std::string title;
    ColourValue colour = MakeColour(255, 0, 0);
    ColourValue lineColour = MakeColour(255, 0, 0);
    bool lineVisible = true;
    bool marksVisible = false;
    bool pointerVisible = false;
    bool xAscending = true;
    int transparency = 0; // percent, 0 to 100, of the line and its pointers
    bool operator==(const SeriesSettings&) const = default;
};

// A text box the chart draws over its plot at a pixel position.
struct AnnotationSettings {
    std::string text;
    int left = 10;
    int top = 10;
    int transparency = 0; // percent, 0 to 100, of the box's background
    bool operator==(const AnnotationSettings&) const = default;
};

// How a chart looks, as its stored properties set it.
struct ChartSettings {
    std::vector<std::string> title;
    ColourValue titleColour = MakeColour(0, 0, 128);
    int titleFontHeight = -13; // negative: pixels, as the stored properties give it
    bool titleBold = false;
    ColourValue panelColour = MakeColour(240, 240, 240);
    bool gradientVisible = false;
    ColourValue gradientStart = MakeColour(255, 255, 255);
    ColourValue gradientEnd = MakeColour(255, 255, 0);
    ColourValue backWallColour = MakeColour(255, 255, 255);
    bool backWallClear = false;
    bool legendVisible = true;
    bool legendGradient = false;
    // Kept only: the chart always draws flat.
    bool view3D = true;
    int printMargins[4] = {15, 15, 15, 15};
    int left = 0;
    int top = 0;
    int designWidth = 400;
    int designHeight = 250;
    AxisSettings leftAxis;
    AxisSettings bottomAxis;
    std::vector<SeriesSettings> series;
    std::vector<AnnotationSettings> tools;
    // A drawing kept of the chart is redrawn when any of this changes.
    bool operator==(const ChartSettings&) const = default;
};

// Applies stored properties: one "Path=Value" per line, paths as the chart
// names them ("Title.Text.Strings", "LeftAxis.Minimum", "Series0.SeriesColor",
// ..., "Tool0.Class=PAnnotationTool", "Tool0.Text"). Unknown paths are skipped, so older charts
// read newer streams. A value that does not fit its path is skipped too and makes the result
// InvalidArgument; every other line still applies.
ResultCode ApplyProperties(std::string_view text, ChartSettings* settings);

} // namespace kelvo
