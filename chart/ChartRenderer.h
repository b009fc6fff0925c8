#pragma once

#include "chart/ChartModel.h"

#include <QRect>
#include <string>

class QPainter;

namespace kelvo {

// Where a frame put the plot and the value ranges it shows there.
struct ChartLayout {
    QRect plot;
    ValueRange bottom;
    ValueRange left;

    // The pixel of a value, as the series are drawn.
    double PixelX(double value) const {
        return plot.left() + (value - bottom.minimum) / bottom.Span() * plot.width();
    }
    double PixelY(double value) const {
        return plot.bottom() - (value - left.minimum) / left.Span() * plot.height();
    }
};

// What a chart reports while it draws, for its event sinks, and the layers its
// owner adds: a picture behind everything, and tools over the series.
class ChartDrawEvents {
public:
    virtual void DrawBackground(QPainter&, QRect) {}
    // Once per frame, before the axes' events, when the plot has room to draw.
    virtual void LaidOut(QPainter&, const ChartLayout&) {}
    virtual void DrawOverSeries(QPainter&, const ChartLayout&) {}
    virtual void BeforeDrawSeries() = 0;
    virtual void AfterDraw() = 0;
    // A label of the bottom axis for the point at index, which the sink may change.
    virtual void AxisLabel(std::size_t index, std::string* text) = 0;

protected:
    ~ChartDrawEvents() = default;
};

// Draws a whole chart into a rectangle: panel, title, legend, back wall, axes
// with their labels, and the series as decimated lines.
class ChartRenderer {
public:
    // events may be null.
    static void Paint(QPainter& painter, QRect bounds, const ChartModel& model,
                      ChartDrawEvents* events);
};

} // namespace kelvo
