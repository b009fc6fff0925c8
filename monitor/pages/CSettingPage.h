#pragma once

#include "platform/dialog/Dialog.h"

namespace kelvo {

class CMainDlg;

// The "Setting" tab: unit, reading interval, calibration, record files and
// the sound alarm, all kept in the main window's fields.
class CSettingPage : public dialog::Dialog {
    Q_OBJECT
public:
    CSettingPage();

    CMainDlg* owner = nullptr;

protected:
    bool OnInitDialog() override;
};

} // namespace kelvo
