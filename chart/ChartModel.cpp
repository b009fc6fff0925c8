#include "chart/ChartModel.h"

#include <algorithm>

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
    bottomView_ = scaled(BottomRange());
    leftView_ = scaled(LeftRange());
}

void ChartModel::Move(double horizontal, double vertical) {
    ValueRange bottom = BottomRange();
    ValueRange left = LeftRange();
    const double across = bottom.Span() * horizontal;
    const double up = left.Span() * vertical;
    bottomView_ = ValueRange{bottom.minimum + across, bottom.maximum + across};
    leftView_ = ValueRange{left.minimum + up, left.maximum + up};
}

void ChartModel::ResetView() {
    bottomView_.reset();
    leftView_.reset();
}

} // namespace kelvo
