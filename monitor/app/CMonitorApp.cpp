#include "monitor/app/CMonitorApp.h"

#include "monitor/app/CMainDlg.h"
#include "monitor/app/TerminationSignals.h"
#include "platform/dialog/DialogColours.h"
#include "platform/dialog/ModalLoops.h"
#include "platform/dialog/UiThread.h"

namespace kelvo {

bool CMonitorApp::InitInstance() {
    dialog::UiThread::Attach();
    // Set once the window has ended, by the user or by a signal: a request
    // after that has nothing left to do. It outlives the window.
    bool closed = false;
    CMainDlg mainWindow;
    dialog::SetDialogColours(QColor(128, 255, 128), QColor(139, 0, 139));
    QObject::connect(&mainWindow, &QDialog::finished, [&closed] { closed = true; });
    TerminationSignals termination([&mainWindow, &closed] {
        if (closed) {
            return;
        }
        // Saves as closing the window does, from whatever state the window is
        // in, then ends every box the user was asked to answer, and the window.
        mainWindow.OnClose();
        closed = true;
        dialog::EndModalLoops();
    });
    mainWindow.DoModal();
    dialog::UiThread::Shutdown();
    return false;
}

} // namespace kelvo
