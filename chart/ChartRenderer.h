#pragma once

#include "chart/ChartModel.h"
#include "chart/Decimation.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QLineF>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <string>
#include <vector>

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

// Draws a whole chart into a rectangle, in two kinds of layer:
// - the static layers (panel, title, legend, back wall, left axis with its
//   grid and labels), which change only with the settings, the size, the font
//   or the left range;
// - the frame layers (bottom axis with the points' labels, the series as
//   decimated lines, the plot's frame, and the draw events), which follow the
//   points and the view.
// Paint draws everything from scratch. A renderer object kept by a widget
// draws frames: it keeps the static layers as a picture and each series'
// column runs, and redraws only what changed, with the same result.
class ChartRenderer {
public:
    // events may be null.
    static void Paint(QPainter& painter, QRect bounds, const ChartModel& model,
                      ChartDrawEvents* events);

    void PaintFrame(QPainter& painter, QRect bounds, const ChartModel& model,
                    ChartDrawEvents* events);
    // Drops what is kept, for a change that the model does not show.
    void Invalidate();

    // Where the static layers left room for the plot, and the spacing of the
    // bottom axis's labels; worked out with them.
    struct Layout {
        QRect plot;
        int labelSlot = 1;
    };

    // What is kept of one series from frame to frame: its column runs, and
    // the spans and segments that draw them in the plot last drawn.
    struct KeptSeries {
        SeriesColumns columns;
        std::uint64_t revision = ~std::uint64_t{0};
        ValueRange left;
        QRect plot;
        std::vector<QRect> spans;
        std::vector<QLineF> segments;
    };

    // Texts of the bottom axis laid out once: the points' labels recur from
    // frame to frame.
    class LabelCache {
    public:
        const QStaticText& Text(const QString& text, const QFont& font);

    private:
        QHash<QString, QStaticText> texts_;
        QFont font_;
    };

private:
    // Everything the static layers are drawn from.
    struct StaticKey {
        QRect bounds;
        ChartSettings settings;
        ValueRange left;
        QFont font;
        qreal pixelRatio = 1;
        bool operator==(const StaticKey& other) const {
            return bounds == other.bounds && left.minimum == other.left.minimum &&
                   left.maximum == other.left.maximum && font == other.font &&
                   pixelRatio == other.pixelRatio && settings == other.settings;
        }
    };

    bool staticValid_ = false;
    StaticKey staticKey_;
    QImage staticLayers_;
    Layout layout_;
    std::vector<KeptSeries> series_;
    LabelCache labels_;
};

} // namespace kelvo
