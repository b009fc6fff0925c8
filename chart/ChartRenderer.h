#pragma once

#include "chart/ChartModel.h"

#include <QRect>
#include <string>

class QPainter;

namespace kelvo {

// What a chart reports while it draws, for its event sinks.
class ChartDrawEvents {
public:
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
