#pragma once

#include "chart/ChartModel.h"

#include <vector>

namespace kelvo {

struct PixelPoint {
    double x;
    double y;
};

// Where the plot area lies, in pixels.
struct PlotArea {
    double left;
    double top;
    double width;
    double height;
};

// The polyline that draws a series: per pixel column at most its first, lowest,
// highest and last point, so the line looks as if every point were drawn but
// costs a few vertices per column. With x ascending only the shown range is
// visited (plus one point on each side, for the line entering and leaving);
// otherwise every point is.
std::vector<PixelPoint> DecimatedLine(const PointStore& points, ValueRange bottom, ValueRange left,
                                      PlotArea area);

} // namespace kelvo
