// The monitor as kelvomon starts it, with a scripted user: once the main window
// is up, KELVO_SCRIPT=about opens the about box (F1), =message shows a message
// box, =folder opens the folder dialog; "open" is printed once that box waits
// for an answer. When the monitor has ended, "ended" is printed and the program
// waits for its input to close before it returns, so that a test can signal it
// during its last moments.
#include "monitor/app/CMainDlg.h"
#include "monitor/app/CMonitorApp.h"

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

kelvo::CMainDlg* ShownMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<kelvo::CMainDlg*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void OpenBox(kelvo::CMainDlg* window, const std::string& script) {
    if (script == "about") {
        QCoreApplication::postEvent(window,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
    } else if (script == "message") {
        QTimer::singleShot(0, window, [window] { window->MessageBox("scripted"); });
    } else if (script == "folder") {
        QTimer::singleShot(0, window, [window] {
            QFileDialog::getExistingDirectory(window, "Please Select Work Directory:");
        });
    }
}

} // namespace

int main(int argc, char* argv[]) {
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    const char* script = std::getenv("KELVO_SCRIPT");
    QTimer poll;
    bool asked = false;
    if (script != nullptr) {
        QObject::connect(&poll, &QTimer::timeout, [&] {
            kelvo::CMainDlg* window = ShownMainWindow();
            if (!asked && window != nullptr) {
                asked = true;
                OpenBox(window, script);
            } else if (asked) {
                QWidget* modal = QApplication::activeModalWidget();
                if (modal != nullptr && modal != window) {
                    Say("open");
                    poll.stop();
                }
            }
        });
        poll.start(10);
    }
    kelvo::CMonitorApp monitor;
    monitor.InitInstance();
    poll.stop();
    Say("ended");
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    return 0;
}
