#pragma once

#include "platform/dialog/Dialog.h"

namespace kelvo {

// The "Curve" tab: the chart of the inner temperature and its "Load" switch.
class CCurvePage : public dialog::Dialog {
    Q_OBJECT
public:
    CCurvePage();
};

} // namespace kelvo
