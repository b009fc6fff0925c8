#include "platform/dialog/UiThread.h"

#include <QApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace kelvo::dialog {
namespace {

// Runs the event loop until done is set, so that queued calls get served.
void ServeUntil(const std::atomic<bool>& done) {
    while (!done) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

TEST(UiThread, AWorkersCallRunsOnTheUserInterfaceThreadAndWaits) {
    QThread* const uiThread = QThread::currentThread();
    QThread* ranOn = nullptr;
    std::atomic<bool> returned = false;
    bool result = false;
    std::thread worker([&] {
        result = UiThread::BlockingCall([&] { ranOn = QThread::currentThread(); });
        returned = true;
    });
    ServeUntil(returned);
    worker.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(ranOn, uiThread);
}

TEST(UiThread, ShutdownReleasesAWaitingWorkerWithoutRunningItsCall) {
    std::atomic<bool> started = false;
    std::atomic<bool> returned = false;
    std::atomic<bool> ran = false;
    bool result = true;
    std::thread worker([&] {
        started = true;
        result = UiThread::BlockingCall([&] { ran = true; });
        returned = true;
    });
    while (!started) {
        std::this_thread::yield();
    }
    // The event loop is not served here: the call can only end by Shutdown.
    UiThread::Shutdown();
    worker.join();
    QApplication::processEvents();
    EXPECT_FALSE(result);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(UiThread::BlockingCall([] {}))
        << "a call on the user-interface thread runs at once";
    UiThread::Attach();
}

} // namespace
} // namespace kelvo::dialog
