#pragma once

#include "platform/dialog/Dialog.h"

namespace kelvo {

// The "Log" tab: one row per sample, the two recording switches and the
// start-up mode.
class CLogPage : public dialog::Dialog {
    Q_OBJECT
public:
    CLogPage();

    // Removes every column and row, then sets the styles and the three columns.
    void InitList();

protected:
    bool OnInitDialog() override;
};

} // namespace kelvo
