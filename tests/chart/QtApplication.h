#pragma once

#include <QApplication>

namespace kelvo {

// One application object for the whole test program, made on first use and
// kept to the end (Qt's widgets must not outlive it).
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "chart_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    return *application;
}

} // namespace kelvo
