#include "monitor/core/CMonitorApp.h"

#include "monitor/core/CMainDlg.h"
#include "monitor/core/TerminationSignals.h"
#include "platform/dialog/DialogColours.h"
#include "platform/dialog/UiThread.h"

namespace kelvo {

bool CMonitorApp::InitInstance() {
    dialog::UiThread::Attach();
    CMainDlg mainWindow;
    dialog::SetDialogColours(QColor(128, 255, 128), QColor(139, 0, 139));
    TerminationSignals termination([&mainWindow] { mainWindow.OnClose(); });
    mainWindow.DoModal();
    dialog::UiThread::Shutdown();
    return false;
}

} // namespace kelvo
