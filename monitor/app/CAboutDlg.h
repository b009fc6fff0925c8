#pragma once

#include "platform/dialog/Dialog.h"

namespace kelvo {

// The about box: icon, version and OK; nothing beyond closing.
class CAboutDlg : public dialog::Dialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace kelvo
