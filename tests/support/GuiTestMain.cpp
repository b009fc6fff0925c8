// Test entry for suites that need widgets: one application object for the
// whole run, with this thread as the user-interface thread.
#include "platform/dialog/UiThread.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Headless unless told otherwise; test discovery runs the binary too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    kelvo::dialog::UiThread::Attach();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
