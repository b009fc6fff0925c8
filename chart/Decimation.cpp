#include "chart/Decimation.h"

#include <algorithm>
#include <cmath>

namespace kelvo {

namespace {

// Far beyond any screen, near enough for the painter's fixed-point arithmetic.
constexpr double PixelLimit = 1e6;

class LineBuilder {
public:
    LineBuilder(const PointStore& points, ValueRange bottom, ValueRange left, PlotArea area)
        : points_(points), bottom_(bottom), left_(left), area_(area) {}

    double PixelX(double x) const {
        return std::clamp(area_.left + (x - bottom_.minimum) / bottom_.Span() * area_.width,
                          -PixelLimit, PixelLimit);
    }
    double PixelY(double y) const {
        return std::clamp(area_.top + area_.height -
                              (y - left_.minimum) / left_.Span() * area_.height,
                          -PixelLimit, PixelLimit);
    }
    double Column(double x) const { return std::floor(PixelX(x)); }

    // The points [first, last) fall in one column.
    void AddRun(std::size_t first, std::size_t last, double lowest, double highest) {
        const double firstY = points_.Y(first);
        line_.push_back({PixelX(points_.X(first)), PixelY(firstY)});
        if (last - first == 1)
            return;
        const double middle = (PixelX(points_.X(first)) + PixelX(points_.X(last - 1))) / 2;
        // Visit the extreme nearer the first point first, so the column's stroke
        // has no back-and-forth.
        const bool upFirst = highest - firstY < firstY - lowest;
        line_.push_back({middle, PixelY(upFirst ? highest : lowest)});
        line_.push_back({middle, PixelY(upFirst ? lowest : highest)});
        line_.push_back({PixelX(points_.X(last - 1)), PixelY(points_.Y(last - 1))});
    }

    std::vector<PixelPoint> Ascending() {
        const std::size_t count = points_.Count();
        std::size_t index = points_.LowerBound(bottom_.minimum);
        index = index > 0 ? index - 1 : 0;
        const std::size_t afterShown = points_.LowerBound(bottom_.maximum);
        const std::size_t end = std::min(count, afterShown + 1);
        const double valuesPerPixel = bottom_.Span() / area_.width;
        while (index < end) {
            const double column = Column(points_.X(index));
            std::size_t runEnd = index + 1;
            if (column >= area_.left && column < area_.left + area_.width) {
                const double columnEnd =
                    bottom_.minimum + (column + 1 - area_.left) * valuesPerPixel;
                runEnd = std::clamp(points_.LowerBound(columnEnd), index + 1, end);
            }
            double lowest = 0;
            double highest = 0;
            points_.RangeY(index, runEnd, &lowest, &highest);
            AddRun(index, runEnd, lowest, highest);
            index = runEnd;
        }
        return std::move(line_);
    }

    std::vector<PixelPoint> InOrder() {
        const std::size_t count = points_.Count();
        std::size_t index = 0;
        while (index < count) {
            const double column = Column(points_.X(index));
            double lowest = points_.Y(index);
            double highest = lowest;
            std::size_t runEnd = index + 1;
            while (runEnd < count && Column(points_.X(runEnd)) == column) {
                lowest = std::min(lowest, points_.Y(runEnd));
                highest = std::max(highest, points_.Y(runEnd));
                ++runEnd;
            }
            AddRun(index, runEnd, lowest, highest);
            index = runEnd;
        }
        return std::move(line_);
    }

private:
    const PointStore& points_;
    ValueRange bottom_;
    ValueRange left_;
    PlotArea area_;
    std::vector<PixelPoint> line_;
};

} // namespace

std::vector<PixelPoint> DecimatedLine(const PointStore& points, ValueRange bottom, ValueRange left,
                                      PlotArea area) {
    // Spans beyond the largest double (points near it at both ends) cannot be scaled.
    if (points.Count() == 0 || area.width <= 0 || area.height <= 0 || !(bottom.Span() > 0) ||
        !(left.Span() > 0) || !std::isfinite(bottom.Span()) || !std::isfinite(left.Span()))
        return {};
    LineBuilder builder(points, bottom, left, area);
    return points.Ascending() ? builder.Ascending() : builder.InOrder();
}

} // namespace kelvo
