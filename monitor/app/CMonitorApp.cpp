#include "monitor/app/CMonitorApp.h"

#include "monitor/app/CMainDlg.h"
#include "monitor/app/TerminationSignals.h"
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
