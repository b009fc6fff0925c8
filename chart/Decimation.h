#pragma once

#include "chart/ChartModel.h"

#include <cstddef>
#include <cstdint>
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

// Consecutive points [first, last) that fall in one pixel column: its first
// and last point and its smallest and largest y, copied out of the store so
// that drawing the run does not reach back into the points.
struct ColumnRun {
    std::size_t first;
    std::size_t last;
    double firstX;
    double firstY;
    double lastX;
    double lastY;
    double lowest;
    double highest;
};

// The column runs of one series for one horizontal view, kept from frame to
// frame. Points are only ever appended (or all cleared), so while the view
// stays, new points only extend the last run and add runs after it; a new view
// rebuilds the runs from the store's block extremes, visiting a few blocks per
// column rather than every point.
class SeriesColumns {
public:
    // Brings the runs up to date with the points and the view.
    void Update(const PointStore& points, ValueRange bottom, PlotArea area);

    // The polyline that draws the series: per column at most its first,
    // lowest, highest and last point, so the line looks as if every point were
    // drawn but costs a few vertices per column. Needs an Update for the
    // bottom range and area first.
    std::vector<PixelPoint> Line(ValueRange bottom, ValueRange left, PlotArea area) const;

    const std::vector<ColumnRun>& Runs() const { return runs_; }
    // Changes whenever the runs do.
    std::uint64_t Revision() const { return revision_; }

private:
    struct View {
        std::uint64_t generation = 0;
        bool ascending = true;
        ValueRange bottom;
        double left = 0;
        double width = 0;
        bool operator==(const View& other) const {
            return generation == other.generation && ascending == other.ascending &&
                   bottom.minimum == other.bottom.minimum &&
                   bottom.maximum == other.bottom.maximum && left == other.left &&
                   width == other.width;
        }
    };

    View view_;
    bool valid_ = false;
    std::size_t count_ = 0; // points the runs cover
    std::size_t start_ = 0; // the first point of the runs
    std::uint64_t revision_ = 0;
    std::vector<ColumnRun> runs_;
};

// A polyline as the raster draws it cheaply and as a one-pixel pen would:
// where the line moves from one pixel column to the next it becomes one
// vertical span of pixels per column, reaching halfway towards each
// neighbour; wider steps stay straight segments.
struct ColumnSpan {
    int column;
    int top;    // first row
    int bottom; // last row, included
};
struct LineStroke {
    std::vector<ColumnSpan> spans;
    std::vector<PixelPoint> segments; // start and end of each, in turn
};
LineStroke StrokeOf(const std::vector<PixelPoint>& line);

// The same polyline, computed from nothing: with x ascending only the shown
// range is visited (plus one point on each side, for the line entering and
// leaving); otherwise every point is.
std::vector<PixelPoint> DecimatedLine(const PointStore& points, ValueRange bottom, ValueRange left,
                                      PlotArea area);

} // namespace kelvo
