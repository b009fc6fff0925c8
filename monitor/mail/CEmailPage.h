#pragma once

#include "platform/dialog/Dialog.h"

namespace kelvo {

class CMainDlg;

// The "Email" tab: ten mail configurations and the sending policy.
class CEmailPage : public dialog::Dialog {
    Q_OBJECT
public:
    CEmailPage();

    CMainDlg* owner = nullptr;
    int attempts = 0;
    int successes = 0;

protected:
    bool OnInitDialog() override;
};

} // namespace kelvo
