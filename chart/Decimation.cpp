#include "chart/Decimation.h"

#include <algorithm>
#include <cmath>

namespace kelvo {

namespace {

// Far beyond any screen, near enough for the painter's fixed-point arithmetic.
constexpr double PixelLimit = 1e6;

// Data to pixels for one view.
class Mapping {
public:
    Mapping(ValueRange bottom, ValueRange left, PlotArea area)
        : bottom_(bottom), left_(left), area_(area) {}

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
    bool Inside(double column) const {
        return column >= area_.left && column < area_.left + area_.width;
    }
    // The first x of the next column.
    double ColumnEnd(double column) const {
        return bottom_.minimum + (column + 1 - area_.left) * (bottom_.Span() / area_.width);
    }

private:
    ValueRange bottom_;
    ValueRange left_;
    PlotArea area_;
};

bool Drawable(ValueRange range) {
    // Spans beyond the largest double (points near it at both ends) cannot be scaled.
    return range.Span() > 0 && std::isfinite(range.Span());
}

// With x ascending, a column's points follow one another: the end of its run
// is found by search, and its extremes from the store's blocks.
void SweepAscending(const PointStore& points, const Mapping& mapping, std::size_t index,
                    std::size_t end, std::vector<ColumnRun>& runs) {
    // Columns hold about as many points as the one before: the search for a
    // run's end starts where that guess puts it.
    std::size_t previousLength = 1;
    while (index < end) {
        const double column = mapping.Column(points.X(index));
        std::size_t runEnd = index + 1;
        if (mapping.Inside(column)) {
            runEnd =
                points.LowerBound(index + 1, index + previousLength, mapping.ColumnEnd(column));
            runEnd = std::clamp(runEnd, index + 1, end);
            previousLength = runEnd - index;
        }
        ColumnRun run;
        run.first = index;
        run.last = runEnd;
        run.firstX = points.X(index);
        run.firstY = points.Y(index);
        run.lastX = points.X(runEnd - 1);
        run.lastY = points.Y(runEnd - 1);
        points.RangeY(index, runEnd, &run.lowest, &run.highest);
        runs.push_back(run);
        index = runEnd;
    }
}

// Otherwise every point is visited; a run ends where the column changes.
void SweepInOrder(const PointStore& points, const Mapping& mapping, std::size_t index,
                  std::vector<ColumnRun>& runs) {
    const std::size_t count = points.Count();
    while (index < count) {
        const double column = mapping.Column(points.X(index));
        const double y = points.Y(index);
        ColumnRun run{index, index + 1, points.X(index), y, points.X(index), y, y, y};
        while (run.last < count && mapping.Column(points.X(run.last)) == column) {
            run.lastX = points.X(run.last);
            run.lastY = points.Y(run.last);
            run.lowest = std::min(run.lowest, run.lastY);
            run.highest = std::max(run.highest, run.lastY);
            ++run.last;
        }
        runs.push_back(run);
        index = run.last;
    }
}

} // namespace

void SeriesColumns::Update(const PointStore& points, ValueRange bottom, PlotArea area) {
    const std::size_t count = points.Count();
    if (count == 0 || area.width <= 0 || area.height <= 0 || !Drawable(bottom)) {
        if (valid_)
            ++revision_;
        valid_ = false;
        runs_.clear();
        return;
    }
    const View view{points.Generation(), points.Ascending(), bottom, area.left, area.width};
    const Mapping mapping(bottom, {0, 1}, area);
    std::size_t start = 0;
    if (view.ascending) {
        start = points.LowerBound(bottom.minimum);
        start = start > 0 ? start - 1 : 0;
    }
    // Appends change nothing before the last run: it is the only one that can
    // grow, and every run after it is new.
    std::size_t resume = start;
    if (valid_ && view == view_ && start == start_ && count >= count_ && !runs_.empty()) {
        if (count == count_)
            return;
        resume = runs_.back().first;
        runs_.pop_back();
    } else {
        runs_.clear();
    }
    if (view.ascending) {
        const std::size_t end = std::min(count, points.LowerBound(bottom.maximum) + 1);
        SweepAscending(points, mapping, resume, end, runs_);
    } else {
        SweepInOrder(points, mapping, resume, runs_);
    }
    view_ = view;
    valid_ = true;
    count_ = count;
    start_ = start;
    ++revision_;
}

std::vector<PixelPoint> SeriesColumns::Line(ValueRange bottom, ValueRange left,
                                            PlotArea area) const {
    std::vector<PixelPoint> line;
    if (!valid_ || !Drawable(left))
        return line;
    const Mapping mapping(bottom, left, area);
    line.reserve(runs_.size() * 4);
    for (const ColumnRun& run : runs_) {
        const double firstX = mapping.PixelX(run.firstX);
        const double firstY = run.firstY;
        line.push_back({firstX, mapping.PixelY(firstY)});
        if (run.last - run.first == 1)
            continue;
        const double lastX = mapping.PixelX(run.lastX);
        const double middle = (firstX + lastX) / 2;
        // Visit the extreme nearer the first point first, so the column's stroke
        // has no back-and-forth.
        const bool upFirst = run.highest - firstY < firstY - run.lowest;
        line.push_back({middle, mapping.PixelY(upFirst ? run.highest : run.lowest)});
        line.push_back({middle, mapping.PixelY(upFirst ? run.lowest : run.highest)});
        line.push_back({lastX, mapping.PixelY(run.lastY)});
    }
    return line;
}

LineStroke StrokeOf(const std::vector<PixelPoint>& line) {
    // Vertices in one pixel column, and how far up and down the line reaches there.
    struct Group {
        int column;
        std::size_t first;
        std::size_t last; // included
        double top;
        double bottom;
    };
    std::vector<Group> groups;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const int column = static_cast<int>(std::floor(line[i].x));
        if (groups.empty() || groups.back().column != column) {
            groups.push_back({column, i, i, line[i].y, line[i].y});
            continue;
        }
        Group& group = groups.back();
        group.last = i;
        group.top = std::min(group.top, line[i].y);
        group.bottom = std::max(group.bottom, line[i].y);
    }
    LineStroke stroke;
    stroke.spans.reserve(groups.size());
    for (std::size_t g = 0; g + 1 < groups.size(); ++g) {
        Group& from = groups[g];
        Group& to = groups[g + 1];
        const PixelPoint start = line[from.last];
        const PixelPoint end = line[to.first];
        if (std::abs(to.column - from.column) == 1) {
            const double middle = (start.y + end.y) / 2;
            from.top = std::min(from.top, middle);
            from.bottom = std::max(from.bottom, middle);
            to.top = std::min(to.top, middle);
            to.bottom = std::max(to.bottom, middle);
        } else {
            stroke.segments.push_back(start);
            stroke.segments.push_back(end);
        }
    }
    for (const Group& group : groups)
        stroke.spans.push_back({group.column, static_cast<int>(std::floor(group.top)),
                                static_cast<int>(std::floor(group.bottom))});
    return stroke;
}

std::vector<PixelPoint> DecimatedLine(const PointStore& points, ValueRange bottom, ValueRange left,
                                      PlotArea area) {
    SeriesColumns columns;
    columns.Update(points, bottom, area);
    return columns.Line(bottom, left, area);
}

} // namespace kelvo
