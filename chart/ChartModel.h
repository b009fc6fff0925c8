#pragma once

#include "chart/ChartSettings.h"
#include "chart/PointStore.h"

#include <optional>
#include <vector>

namespace kelvo {

struct ValueRange {
    double minimum = 0;
    double maximum = 1;
    double Span() const { return maximum - minimum; }
};

// A chart's settings, its series' points and the user's view of them.
class ChartModel {
public:
    ChartSettings settings;
    std::vector<PointStore> points; // one per series in settings.series

    // Gives every series of the settings its point store.
    void MatchSeries() { points.resize(settings.series.size()); }

    // The ranges shown: the user's zoom or move if any, else the axis's fixed
    // range, else the extremes of the points.
    ValueRange BottomRange() const;
    ValueRange LeftRange() const;

    // The command bar's view changes. factor < 1 zooms in about the centre;
    // moves are fractions of the range shown (positive: right, up).
    void Zoom(double factor);
    void Move(double horizontal, double vertical);
    void ResetView();
    bool ViewChanged() const { return bottomView_ || leftView_; }

private:
    void SetView(ValueRange bottom, ValueRange left);

    std::optional<ValueRange> bottomView_;
    std::optional<ValueRange> leftView_;
};

} // namespace kelvo
