#pragma once

#include "chart/ChartModel.h"
#include "chart/ChartRenderer.h"

class QImage;
class QPainter;

namespace kelvo {

class DrawLog;

// The layers a chart draws besides its axes and lines, each in its own pass
// so the renderer stays about the plot itself.

// The backdrop picture, stretched over the whole chart.
void DrawBackdrop(QPainter& painter, QRect bounds, const QImage& picture);

// A small square on each point of the series whose pointer is visible, while
// the points in view are few enough to tell apart.
void DrawPointers(QPainter& painter, const ChartLayout& layout, const ChartModel& model);

// The annotation tools' boxes: their text, one line per carriage return or
// line feed, in a box whose top left is at the tool's position.
void DrawAnnotations(QPainter& painter, const ChartSettings& settings, const DrawLog& log);

} // namespace kelvo
