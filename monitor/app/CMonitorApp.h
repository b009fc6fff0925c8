#pragma once

namespace kelvo {

class CMainDlg;

// The application object: sets the dialog colours and runs the main window
// modally for the life of the process.
class CMonitorApp {
public:
    // Returns false: when the main window ends, no message loop follows.
    bool InitInstance();
};

} // namespace kelvo
