#include "chart/ChartRenderer.h"

#include "chart/Decimation.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
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
    using Layout = ChartRenderer::Layout;
    using KeptSeries = ChartRenderer::KeptSeries;

    Painter(QPainter& painter, QRect bounds, const ChartModel& model, ChartDrawEvents* events)
        : painter_(painter), bounds_(bounds), model_(model), settings_(model.settings),
          events_(events), metrics_(painter.font()), bottom_(model.BottomRange()),
          left_(model.LeftRange()) {}

    // The static layers; the layout's plot is empty when there is no room for one.
    Layout DrawStatic() {
        DrawPanel();
        if (events_)
            events_->DrawBackground(painter_, bounds_);
        QRect area = bounds_.adjusted(Gap, Gap, -Gap, -Gap);
        area.setTop(DrawTitle(area));
        area.setRight(DrawLegend(area));
        const double leftStep = LeftStep(area.height());
        const int labelWidth = LeftLabelWidth(leftStep);
        plot_ =
            QRect(QPoint(area.left() + labelWidth + TickLength + Gap, area.top() + Gap),
                  QPoint(area.right() - Gap, area.bottom() - metrics_.height() - TickLength - Gap));
        if (plot_.width() < 2 || plot_.height() < 2)
            return {};
        DrawBackWall();
        DrawLeftAxis(leftStep);
        return {plot_, metrics_.horizontalAdvance(QStringLiteral("00:00:00")) + 4 * Gap};
    }

    // The frame layers over the static ones, with what was kept from the
    // frame before.
    void DrawFrame(const Layout& layout, std::vector<KeptSeries>& series,
                   ChartRenderer::LabelCache& labels) {
        plot_ = layout.plot;
        if (plot_.isEmpty())
            return;
        if (events_)
            events_->LaidOut(painter_, {plot_, bottom_, left_});
        DrawBottomAxis(layout.labelSlot, labels);
        if (events_)
            events_->BeforeDrawSeries();
        DrawSeries(series);
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
    void DrawBottomAxis(int slotWidth, ChartRenderer::LabelCache& labels) {
        labels_ = &labels;
        painter_.setPen(Qt::black);
        const int top = plot_.bottom() + TickLength + 1;
        const PointStore* labelled = nullptr;
        for (const PointStore& store : model_.points)
            if (store.HasLabels() && store.Ascending()) {
                labelled = &store;
                break;
            }
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
                const int halfWidth =
                    static_cast<int>(labels_->Text(label, painter_.font()).size().width()) / 2;
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
        const QStaticText& laidOut = labels_->Text(text, painter_.font());
        const QSizeF size = laidOut.size();
        painter_.drawStaticText(QPointF(std::round(pixel - size.width() / 2),
                                        top + std::round((metrics_.height() - size.height()) / 2)),
                                laidOut);
    }

    void DrawSeries(std::vector<KeptSeries>& kept) {
        painter_.save();
        painter_.setClipRect(plot_.adjusted(1, 1, -1, -1));
        const PlotArea area{static_cast<double>(plot_.left()), static_cast<double>(plot_.top()),
                            static_cast<double>(plot_.width()),
                            static_cast<double>(plot_.height())};
        for (std::size_t i = 0; i < settings_.series.size() && i < model_.points.size(); ++i) {
            const SeriesSettings& series = settings_.series[i];
            if (!series.lineVisible)
                continue;
            if (kept.size() <= i)
                kept.resize(i + 1);
            KeptSeries& drawing = kept[i];
            drawing.columns.Update(model_.points[i], bottom_, area);
            if (drawing.revision != drawing.columns.Revision() || drawing.plot != plot_ ||
                drawing.left.minimum != left_.minimum || drawing.left.maximum != left_.maximum)
                Stroke(drawing, area);
            QColor colour = ToColour(series.lineColour);
            colour.setAlpha(255 * (100 - series.transparency) / 100);
            painter_.setPen(Qt::NoPen);
            painter_.setBrush(colour);
            painter_.drawRects(drawing.spans.data(), static_cast<int>(drawing.spans.size()));
            painter_.setPen(QPen(colour, 1));
            painter_.drawLines(drawing.segments.data(), static_cast<int>(drawing.segments.size()));
        }
        painter_.restore();
    }

    void Stroke(KeptSeries& drawing, const PlotArea& area) {
        const LineStroke stroke = StrokeOf(drawing.columns.Line(bottom_, left_, area));
        drawing.spans.clear();
        for (const ColumnSpan& span : stroke.spans)
            drawing.spans.emplace_back(span.column, span.top, 1, span.bottom - span.top + 1);
        drawing.segments.clear();
        for (std::size_t i = 0; i + 1 < stroke.segments.size(); i += 2)
            drawing.segments.emplace_back(stroke.segments[i].x, stroke.segments[i].y,
                                          stroke.segments[i + 1].x, stroke.segments[i + 1].y);
        drawing.revision = drawing.columns.Revision();
        drawing.plot = plot_;
        drawing.left = left_;
    }

    QPainter& painter_;
    QRect bounds_;
    const ChartModel& model_;
    const ChartSettings& settings_;
    ChartDrawEvents* events_;
    QFontMetrics metrics_;
    const ValueRange bottom_;
    const ValueRange left_;
    QRect plot_;
    ChartRenderer::LabelCache* labels_ = nullptr;
};

// The static layers cover every pixel with opaque colours, so their kept
// picture needs no alpha channel, and copying it is a plain copy of memory.
constexpr QImage::Format StaticFormat = QImage::Format_RGB32;

} // namespace

void ChartRenderer::Paint(QPainter& painter, QRect bounds, const ChartModel& model,
                          ChartDrawEvents* events) {
    Painter drawing(painter, bounds, model, events);
    const Layout layout = drawing.DrawStatic();
    std::vector<KeptSeries> series;
    LabelCache labels;
    drawing.DrawFrame(layout, series, labels);
}

void ChartRenderer::PaintFrame(QPainter& painter, QRect bounds, const ChartModel& model,
                               ChartDrawEvents* events) {
    if (bounds.isEmpty())
        return;
    StaticKey key{bounds, model.settings, model.LeftRange(), painter.font(),
                  painter.device()->devicePixelRatio()};
    if (!staticValid_ || !(key == staticKey_)) {
        staticLayers_ = QImage(bounds.size() * key.pixelRatio, StaticFormat);
        staticLayers_.setDevicePixelRatio(key.pixelRatio);
        QPainter layers(&staticLayers_);
        layers.setRenderHints(painter.renderHints());
        layers.setFont(painter.font());
        layers.translate(-bounds.topLeft());
        // Of the events, only the background's picture draws into the kept layers.
        layout_ = Painter(layers, bounds, model, events).DrawStatic();
        staticKey_ = std::move(key);
        staticValid_ = true;
    }
    painter.drawImage(bounds.topLeft(), staticLayers_);
    Painter(painter, bounds, model, events).DrawFrame(layout_, series_, labels_);
}

void ChartRenderer::Invalidate() {
    staticValid_ = false;
    staticLayers_ = QImage();
    series_.clear();
    labels_ = LabelCache();
}

const QStaticText& ChartRenderer::LabelCache::Text(const QString& text, const QFont& font) {
    // The labels of a growing curve keep changing: a bound keeps the cache small.
    if (font != font_ || texts_.size() > 512) {
        texts_.clear();
        font_ = font;
    }
    auto found = texts_.find(text);
    if (found == texts_.end()) {
        found = texts_.insert(text, QStaticText(text));
        found->setTextFormat(Qt::PlainText);
        found->setPerformanceHint(QStaticText::AggressiveCaching);
        found->prepare(QTransform(), font);
    }
    return *found;
}

} // namespace kelvo
