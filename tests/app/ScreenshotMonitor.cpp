// The monitor as kelvomon starts it, steered line by line from standard input
// so that scripts/screenshots can photograph each tab and the about box from
// the outside (a developer tool; no test runs it). Commands, one a line:
//   rows N    wait until the "Log" table holds N rows ("timeout" after two minutes)
//   tab N     pick tab N (0 "Log", 1 "Email", 2 "Curve", 3 "Setting") as a click does
//   about     open the about box as F1 does
//   menu TEXT pick the item TEXT of the window's context menu, which opens a box
// Each answer is one line: "shown WINDOW" with the X window id, in decimal, of
// the window to photograph, once it has been painted; "rows N"; or "error ...".
// The monitor ends as always, by SIGTERM for instance.
#include "monitor/app/CMainDlg.h"
#include "monitor/app/CMonitorApp.h"
#include "monitor/resources/AppIcon.h"
#include "platform/dialog/ListControl.h"
#include "platform/dialog/TabControl.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QSocketNotifier>
#include <QTabBar>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Long enough for the X server to have the new picture before it is taken.
constexpr auto paintSettle = 400ms;
constexpr auto rowDeadline = 120s;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

kelvo::CMainDlg* ShownMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<kelvo::CMainDlg*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

void SayShownWhenPainted(QWidget* window) {
    QTimer::singleShot(paintSettle, window, [window] {
        window->repaint();
        QTimer::singleShot(paintSettle, window,
                           [window] { Say("shown " + std::to_string(window->winId())); });
    });
}

int TableRows(kelvo::CMainDlg& window) {
    auto* table = window.logPage.Item<kelvo::dialog::ListControl>(kelvo::logpage::tableId);
    return table == nullptr ? 0 : table->GetItemCount();
}

void WaitForRows(kelvo::CMainDlg* window, int wanted,
                 std::chrono::steady_clock::time_point deadline) {
    if (TableRows(*window) >= wanted) {
        Say("rows " + std::to_string(wanted));
    } else if (std::chrono::steady_clock::now() > deadline) {
        Say("timeout");
    } else {
        QTimer::singleShot(200ms, window,
                           [window, wanted, deadline] { WaitForRows(window, wanted, deadline); });
    }
}

// Says "shown" once a box other than the main window waits for an answer;
// the box runs its own modal loop, and this timer fires inside it.
void SayBoxShown(kelvo::CMainDlg* window) {
    auto* poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, [poll, window] {
        QWidget* box = QApplication::activeModalWidget();
        if (box != nullptr && box != window && box->isVisible()) {
            poll->deleteLater();
            SayShownWhenPainted(box);
        }
    });
    poll->start(20);
}

void OpenAbout(kelvo::CMainDlg* window) {
    QCoreApplication::postEvent(window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier));
    SayBoxShown(window);
}

// Opens the window's context menu and picks the item as Return on it does.
void PickMenuItem(kelvo::CMainDlg* window, const QString& item) {
    const QPoint spot(window->width() / 20, window->height() / 3); // beside the readout
    QCoreApplication::postEvent(
        window, new QContextMenuEvent(QContextMenuEvent::Mouse, spot, window->mapToGlobal(spot)));
    auto* poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, [poll, window, item] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        poll->deleteLater();
        for (QAction* action : menu->actions()) {
            if (action->text() == item) {
                menu->setActiveAction(action);
                QCoreApplication::postEvent(
                    menu, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
                SayBoxShown(window);
                return;
            }
        }
        menu->close();
        Say("error no menu item " + item.toStdString());
    });
    poll->start(20);
}

void Run(const std::string& command) {
    kelvo::CMainDlg* window = ShownMainWindow();
    if (window == nullptr) { // still starting: ask again once the window is up
        QTimer::singleShot(100ms, qApp, [command] { Run(command); });
        return;
    }
    int number = -1;
    if (std::sscanf(command.c_str(), "rows %d", &number) == 1) {
        WaitForRows(window, number, std::chrono::steady_clock::now() + rowDeadline);
    } else if (std::sscanf(command.c_str(), "tab %d", &number) == 1 && number >= 0 &&
               number < window->tabs->GetItemCount()) {
        window->tabs->Bar()->setCurrentIndex(number); // as a user's click does
        SayShownWhenPainted(window);
    } else if (command == "about") {
        OpenAbout(window);
    } else if (command.starts_with("menu ")) {
        PickMenuItem(window, QString::fromStdString(command.substr(5)));
    } else {
        Say("error unknown command: " + command);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setWindowIcon(kelvo::resources::ApplicationIcon());

    std::string pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            input.setEnabled(false); // the script has gone; the monitor runs on until told
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            Run(line);
        }
    });

    kelvo::CMonitorApp monitor;
    monitor.InitInstance();
    return 0;
}
