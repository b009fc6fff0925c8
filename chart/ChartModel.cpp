#include "chart/ChartModel.h"

#include <algorithm>
#include <cmath>

namespace kelvo {

namespace {

// A range that can be drawn: a single value gets room around it.
ValueRange Widened(ValueRange range) {
    if (range.maximum <= range.minimum)
        return {range.minimum - 1, range.minimum + 1};
    return range;
}

using Extreme = double (PointStore::*)() const;

ValueRange ShownRange(const std::optional<ValueRange>& view, const AxisSettings& axis,
                      const std::vector<PointStore>& points, Extreme lowest, Extreme highest) {
    if (view)
        return *view;
    if (!axis.automatic)
        return Widened({axis.minimum, axis.maximum});
    std::optional<ValueRange> range;
    for (const PointStore& store : points) {
        if (store.Count() == 0)
            continue;
        if (!range)
            range = ValueRange{(store.*lowest)(), (store.*highest)()};
        range->minimum = std::min(range->minimum, (store.*lowest)());
        range->maximum = std::max(range->maximum, (store.*highest)());
    }
    return Widened(range.value_or(ValueRange{0, 1}));
}

} // namespace

ValueRange ChartModel::BottomRange() const {
    return ShownRange(bottomView_, settings.bottomAxis, points, &PointStore::MinimumX,
                      &PointStore::MaximumX);
}

ValueRange ChartModel::LeftRange() const {
    return ShownRange(leftView_, settings.leftAxis, points, &PointStore::MinimumY,
                      &PointStore::MaximumY);
}

void ChartModel::Zoom(double factor) {
    auto scaled = [factor](ValueRange range) {
        const double centre = (range.minimum + range.maximum) / 2;
        const double half = range.Span() * factor / 2;
        return ValueRange{centre - half, centre + half};
    };
    SetView(scaled(BottomRange()), scaled(LeftRange()));
}

void ChartModel::Move(double horizontal, double vertical) {
    ValueRange bottom = BottomRange();
    ValueRange left = LeftRange();
    const double across = bottom.Span() * horizontal;
    const double up = left.Span() * vertical;
    SetView({bottom.minimum + across, bottom.maximum + across},
            {left.minimum + up, left.maximum + up});
}

void ChartModel::SetView(ValueRange bottom, ValueRange left) {
    // Zooming or moving on and on ends where the ranges would stop being
    // numbers, or too narrow to tell their ends apart.
    auto usable = [](ValueRange range) {
        return std::isfinite(range.minimum) && std::isfinite(range.maximum) &&
               std::isfinite(range.Span()) &&
               range.Span() > 1e-9 * std::max(1.0, std::abs(range.minimum));
    };
    if (!usable(bottom) || !usable(left))
        return;
    bottomView_ = bottom;
    leftView_ = left;
}

void ChartModel::ResetView() {
    bottomView_.reset();
    leftView_.reset();
}

} // namespace kelvo
