#pragma once

#include "platform/dialog/Dialog.h"

namespace kelvo {

// The "Curve" tab: the chart of the inner temperature and its "Load" switch.
class CCurvePage : public dialog::Dialog {
    Q_OBJECT
public:
    CCurvePage();

    // Ticks "Load" and "Outter" for the true values; a false one leaves its box
    // as it is.
    void SetCurveChecks(bool inner, bool outer);
    void GetCurveChecks(bool& inner, bool& outer) const;
};

} // namespace kelvo
