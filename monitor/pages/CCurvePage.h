#pragma once

#include "monitor/pages/CPChart.h"
#include "platform/dialog/Dialog.h"

#include <ctime>
#include <functional>

namespace kelvo {

// The "Curve" tab: the chart of the inner temperature and its "Load" switch.
class CCurvePage : public dialog::Dialog {
    Q_OBJECT
public:
    // After this point number the series starts again from an empty chart.
    static constexpr int lastPointNumber = 327670;

    CCurvePage();

    // Creates the chart and its command bar in their sites, each unless it
    // exists already; false while either is missing. The page's
    // initialisation tries once; the main window may try again.
    bool CreateChart();

    // One sample: while "Load" is ticked, a point at the next x labelled with
    // the time. May be called from any thread; the chart is used on the
    // user-interface thread only.
    void AddPoint(double inner, double outer);

    // Ticks "Load" and "Outter" for the true values; a false one leaves its box
    // as it is.
    void SetCurveChecks(bool inner, bool outer);
    void GetCurveChecks(bool& inner, bool& outer) const;

    // The clock that labels points; the wall clock unless a test sets its own.
    std::function<std::time_t()> clock = [] { return std::time(nullptr); };

    int pointNumber = 0;
    CPChart chart;
    CPlotraCommander commandBar;

protected:
    bool OnInitDialog() override;
};

} // namespace kelvo
