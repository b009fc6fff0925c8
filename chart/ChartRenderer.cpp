#include "chart/ChartRenderer.h"

#include "chart/Decimation.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <limits>

namespace kelvo {

namespace {

constexpr int Gap = 4;
constexpr int TickLength = 4;

QColor ToColour(ColourValue value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

// A step of 1, 2 or 5 times a power of ten that leaves at least minimumStep.
double NiceStep(double minimumStep) {
    if (!(minimumStep > 0) || !std::isfinite(minimumStep))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(minimumStep)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (factor * power >= minimumStep)
            return factor * power;
    return 10 * power;
}

QString ValueText(double value, double step) {
    const int decimals =
        step >= 1 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
    return QString::number(value, 'f', decimals);
}

class Painter {
public:
    Painter(QPainter& painter, QRect bounds, const ChartModel& model, ChartDrawEvents* events)
        : painter_(painter), bounds_(bounds), model_(model), settings_(model.settings),
          events_(events), metrics_(painter.font()) {}

    void Run() {
        DrawPanel();
        if (events_)
            events_->DrawBackground(painter_, bounds_);
        QRect area = bounds_.adjusted(Gap, Gap, -Gap, -Gap);
        area.setTop(DrawTitle(area));
        area.setRight(DrawLegend(area));
        bottom_ = model_.BottomRange();
        left_ = model_.LeftRange();
        const double leftStep = LeftStep(area.height());
        const int labelWidth = LeftLabelWidth(leftStep);
        plot_ =
            QRect(QPoint(area.left() + labelWidth + TickLength + Gap, area.top() + Gap),
                  QPoint(area.right() - Gap, area.bottom() - metrics_.height() - TickLength - Gap));
        if (plot_.width() < 2 || plot_.height() < 2)
            return;
        if (events_)
            events_->LaidOut(painter_, {plot_, bottom_, left_});
        DrawBackWall();
        DrawLeftAxis(leftStep);
        DrawBottomAxis();
        if (events_)
            events_->BeforeDrawSeries();
        DrawSeries();
        if (events_)
            events_->DrawOverSeries(painter_, {plot_, bottom_, left_});
        painter_.setPen(Qt::black);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(plot_);
        if (events_)
            events_->AfterDraw();
    }

private:
    void DrawPanel() {
        if (settings_.gradientVisible) {
            QLinearGradient gradient(bounds_.topLeft(), bounds_.bottomLeft());
            gradient.setColorAt(0, ToColour(settings_.gradientStart));
            gradient.setColorAt(1, ToColour(settings_.gradientEnd));
            painter_.fillRect(bounds_, gradient);
        } else {
            painter_.fillRect(bounds_, ToColour(settings_.panelColour));
        }
    }

    // The top of what is left below the title.
    int DrawTitle(QRect area) {
        if (settings_.title.empty())
            return area.top();
        QFont font = painter_.font();
        font.setPixelSize(std::max(6, std::abs(settings_.titleFontHeight)));
        font.setBold(settings_.titleBold);
        const QFontMetrics metrics(font);
        painter_.save();
        painter_.setFont(font);
        painter_.setPen(ToColour(settings_.titleColour));
        int top = area.top();
        for (const std::string& line : settings_.title) {
            painter_.drawText(QRect(area.left(), top, area.width(), metrics.height()),
                              Qt::AlignHCenter | Qt::AlignVCenter, QString::fromStdString(line));
            top += metrics.height();
        }
        painter_.restore();
        return top + Gap;
    }

    // The right edge of what is left beside the legend.
    int DrawLegend(QRect area) {
        if (!settings_.legendVisible || settings_.series.empty())
            return area.right();
        const int swatch = 16;
        int textWidth = 0;
        for (const SeriesSettings& series : settings_.series)
            textWidth = std::max(textWidth,
                                 metrics_.horizontalAdvance(QString::fromStdString(series.title)));
        const int rowHeight = metrics_.height() + 2;
        const QRect box(area.right() - (swatch + textWidth + 3 * Gap), area.top() + Gap,
                        swatch + textWidth + 3 * Gap,
                        rowHeight * static_cast<int>(settings_.series.size()) + 2 * Gap);
        if (settings_.legendGradient) {
            QLinearGradient gradient(box.topLeft(), box.bottomLeft());
            gradient.setColorAt(0, Qt::white);
            gradient.setColorAt(1, QColor(200, 200, 200));
            painter_.fillRect(box, gradient);
        } else {
            painter_.fillRect(box, Qt::white);
        }
        painter_.setPen(Qt::black);
        painter_.drawRect(box);
        int top = box.top() + Gap;
        for (const SeriesSettings& series : settings_.series) {
            const int middle = top + rowHeight / 2;
            painter_.setPen(QPen(ToColour(series.colour), 2));
            painter_.drawLine(box.left() + Gap, middle, box.left() + Gap + swatch, middle);
            painter_.setPen(Qt::black);
            painter_.drawText(QRect(box.left() + 2 * Gap + swatch, top, textWidth, rowHeight),
                              Qt::AlignLeft | Qt::AlignVCenter,
                              QString::fromStdString(series.title));
            top += rowHeight;
        }
        return box.left() - Gap;
    }

    double LeftStep(int height) const {
        const double fitting = left_.Span() * (metrics_.height() + 2) / std::max(1, height);
        double step = settings_.leftAxis.increment;
        if (!(step > 0))
            return NiceStep(fitting);
        // The stored increment, doubled until its labels no longer overlap.
        for (int doubling = 0; step < fitting && doubling < 60; ++doubling)
            step *= 2;
        return step;
    }

    int LeftLabelWidth(double step) const {
        return std::max(metrics_.horizontalAdvance(ValueText(left_.minimum, step)),
                        metrics_.horizontalAdvance(ValueText(left_.maximum, step)));
    }

    double PixelY(double value) const {
        return plot_.bottom() - (value - left_.minimum) / left_.Span() * plot_.height();
    }
    double PixelX(double value) const {
        return plot_.left() + (value - bottom_.minimum) / bottom_.Span() * plot_.width();
    }

    void DrawBackWall() {
        if (!settings_.backWallClear)
            painter_.fillRect(plot_, ToColour(settings_.backWallColour));
    }

    void DrawLeftAxis(double step) {
        const double first = std::ceil(left_.minimum / step) * step;
        const QPen grid(QColor(192, 192, 192), 1, Qt::DotLine);
        for (int i = 0; i < 1000; ++i) {
            const double value = first + i * step;
            if (value > left_.maximum + step * 1e-9)
                break;
            const int y = static_cast<int>(std::lround(PixelY(value)));
            painter_.setPen(grid);
            painter_.drawLine(plot_.left() + 1, y, plot_.right() - 1, y);
            painter_.setPen(Qt::black);
            painter_.drawLine(plot_.left() - TickLength, y, plot_.left(), y);
            const QRect text(bounds_.left(), y - metrics_.height() / 2,
                             plot_.left() - TickLength - Gap / 2 - bounds_.left(),
                             metrics_.height());
            painter_.drawText(text, Qt::AlignRight | Qt::AlignVCenter, ValueText(value, step));
        }
    }

    // Labels of points when the series carry labels, else values.
    void DrawBottomAxis() {
        painter_.setPen(Qt::black);
        const int top = plot_.bottom() + TickLength + 1;
        const PointStore* labelled = nullptr;
        for (const PointStore& store : model_.points)
            if (store.HasLabels() && store.Ascending()) {
                labelled = &store;
                break;
            }
        const int slotWidth = metrics_.horizontalAdvance(QStringLiteral("00:00:00")) + 4 * Gap;
        const int slotCount = std::max(1, plot_.width() / slotWidth);
        if (labelled) {
            std::size_t previous = labelled->Count();
            // A label a sink made longer may not fit its slot: it then hides
            // the next ones it would overlap.
            int freeFrom = std::numeric_limits<int>::min();
            for (int i = 0; i <= slotCount; ++i) {
                const double value = bottom_.minimum + bottom_.Span() * i / slotCount;
                std::size_t index = labelled->LowerBound(value);
                if (index >= labelled->Count() || index == previous ||
                    labelled->X(index) > bottom_.maximum)
                    continue;
                previous = index;
                std::string text = labelled->Label(index);
                if (events_)
                    events_->AxisLabel(index, &text);
                const QString label = QString::fromStdString(text);
                const int x = static_cast<int>(std::lround(PixelX(labelled->X(index))));
                const int halfWidth = metrics_.horizontalAdvance(label) / 2;
                if (x - halfWidth < freeFrom)
                    continue;
                freeFrom = x + halfWidth + Gap;
                DrawBottomLabel(x, top, label);
            }
            return;
        }
        const double step = NiceStep(bottom_.Span() / slotCount);
        const double first = std::ceil(bottom_.minimum / step) * step;
        for (int i = 0; i < 1000; ++i) {
            const double value = first + i * step;
            if (value > bottom_.maximum + step * 1e-9)
                break;
            DrawBottomLabel(PixelX(value), top, ValueText(value, step));
        }
    }

    void DrawBottomLabel(double x, int top, const QString& text) {
        const int pixel = static_cast<int>(std::lround(x));
        painter_.drawLine(pixel, plot_.bottom(), pixel, plot_.bottom() + TickLength);
        const int width = metrics_.horizontalAdvance(text);
        painter_.drawText(QRect(pixel - width / 2 - 1, top, width + 2, metrics_.height()),
                          Qt::AlignCenter, text);
    }

    void DrawSeries() {
        painter_.save();
        painter_.setClipRect(plot_.adjusted(1, 1, -1, -1));
        const PlotArea area{static_cast<double>(plot_.left()), static_cast<double>(plot_.top()),
                            static_cast<double>(plot_.width()),
                            static_cast<double>(plot_.height())};
        for (std::size_t i = 0; i < settings_.series.size() && i < model_.points.size(); ++i) {
            const SeriesSettings& series = settings_.series[i];
            if (!series.lineVisible)
                continue;
            const std::vector<PixelPoint> line =
                DecimatedLine(model_.points[i], bottom_, left_, area);
            QPolygonF polygon;
            polygon.reserve(static_cast<qsizetype>(line.size()));
            for (const PixelPoint& point : line)
                polygon.append(QPointF(point.x, point.y));
            QColor colour = ToColour(series.lineColour);
            colour.setAlpha(255 * (100 - series.transparency) / 100);
            painter_.setPen(QPen(colour, 1));
            if (polygon.size() == 1)
                painter_.drawPoint(polygon.front());
            else
                painter_.drawPolyline(polygon);
        }
        painter_.restore();
    }

    QPainter& painter_;
    QRect bounds_;
    const ChartModel& model_;
    const ChartSettings& settings_;
    ChartDrawEvents* events_;
    QFontMetrics metrics_;
    ValueRange bottom_;
    ValueRange left_;
    QRect plot_;
};

} // namespace

void ChartRenderer::Paint(QPainter& painter, QRect bounds, const ChartModel& model,
                          ChartDrawEvents* events) {
    Painter(painter, bounds, model, events).Run();
}

} // namespace kelvo
