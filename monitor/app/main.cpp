#include "monitor/app/CMonitorApp.h"
#include "monitor/resources/AppIcon.h"

#include <QApplication>

#include <csignal>

int main(int argc, char* argv[]) {
    // A record file at the file-size limit must fail its write, not end the
    // monitor: the write then reports the error and the row alone is lost.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication application(argc, argv);
    QApplication::setWindowIcon(kelvo::resources::ApplicationIcon());
    kelvo::CMonitorApp monitor;
    monitor.InitInstance();
    return 0;
}
