#include "chart/ChartDecorations.h"

#include "chart/DrawLog.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace kelvo {

namespace {

constexpr int PointerSize = 5;
constexpr int BoxPadding = 4;

QColor SeriesColour(const SeriesSettings& series) {
    const ColourValue value = series.colour;
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF), 255 * (100 - series.transparency) / 100);
}

} // namespace

void DrawBackdrop(QPainter& painter, QRect bounds, const QImage& picture) {
    if (!picture.isNull())
        painter.drawImage(bounds, picture);
}

void DrawPointers(QPainter& painter, const ChartLayout& layout, const ChartModel& model) {
    // Squares closer than their own size would only thicken the line.
    const std::size_t most = static_cast<std::size_t>(std::max(1, layout.plot.width() / 8));
    painter.save();
    painter.setClipRect(layout.plot);
    for (std::size_t s = 0; s < model.settings.series.size() && s < model.points.size(); ++s) {
        const SeriesSettings& series = model.settings.series[s];
        const PointStore& store = model.points[s];
        if (!series.pointerVisible || store.Count() == 0)
            continue;
        std::size_t first = 0;
        std::size_t last = store.Count();
        if (store.Ascending()) {
            first = store.LowerBound(layout.bottom.minimum);
            last = store.LowerBound(std::nextafter(layout.bottom.maximum, INFINITY));
        }
        if (last <= first || last - first > most)
            continue;
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(SeriesColour(series));
        for (std::size_t i = first; i < last; ++i) {
            const QPointF centre(layout.PixelX(store.X(i)), layout.PixelY(store.Y(i)));
            painter.drawRect(QRectF(centre.x() - PointerSize / 2.0, centre.y() - PointerSize / 2.0,
                                    PointerSize, PointerSize));
        }
    }
    painter.restore();
}

void DrawAnnotations(QPainter& painter, const ChartSettings& settings, const DrawLog& log) {
    const QFontMetrics metrics(painter.font());
    for (const AnnotationSettings& tool : settings.tools) {
        if (tool.text.empty())
            continue;
        log.Add("annotation", tool.left, tool.top, tool.text);
        const QStringList lines =
            QString::fromStdString(tool.text).split(QRegularExpression("\r\n|\r|\n"));
        int width = 0;
        for (const QString& line : lines)
            width = std::max(width, metrics.horizontalAdvance(line));
        const QRect box(tool.left, tool.top, width + 2 * BoxPadding,
                        metrics.height() * static_cast<int>(lines.size()) + 2 * BoxPadding);
        painter.save();
        QColor background(255, 255, 255, 255 * (100 - tool.transparency) / 100);
        painter.setPen(QColor(128, 128, 128));
        painter.setBrush(background);
        painter.drawRect(box);
        painter.setPen(Qt::black);
        int top = box.top() + BoxPadding;
        for (const QString& line : lines) {
            painter.drawText(QRect(box.left() + BoxPadding, top, width, metrics.height()),
                             Qt::AlignLeft | Qt::AlignVCenter, line);
            top += metrics.height();
        }
        painter.restore();
    }
}

} // namespace kelvo
