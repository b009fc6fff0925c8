#include "monitor/core/CMonitorApp.h"
#include "monitor/resources/AppIcon.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setWindowIcon(kelvo::resources::ApplicationIcon());
    kelvo::CMonitorApp monitor;
    monitor.InitInstance();
    return 0;
}
