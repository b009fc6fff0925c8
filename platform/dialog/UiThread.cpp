#include "platform/dialog/UiThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace kelvo::dialog {
namespace {

std::mutex callMutex;
std::condition_variable callDone;
bool acceptingCalls = true;
// Counts shutdowns, so a waiter released by one stays released after Attach.
unsigned shutdownCount = 0;
QThread* uiThread = nullptr;

struct PendingCall {
    std::function<void()> task;
    bool done = false;
};

} // namespace

void UiThread::Attach() {
    std::lock_guard lock(callMutex);
    uiThread = QThread::currentThread();
    acceptingCalls = true;
}

bool UiThread::IsUiThread() {
    std::lock_guard lock(callMutex);
    return uiThread == QThread::currentThread();
}

bool UiThread::BlockingCall(const std::function<void()>& task) {
    if (IsUiThread()) {
        task();
        return true;
    }
    auto call = std::make_shared<PendingCall>();
    call->task = task;
    unsigned shutdownsBefore = 0;
    {
        std::lock_guard lock(callMutex);
        if (!acceptingCalls || QCoreApplication::instance() == nullptr) {
            return false;
        }
        shutdownsBefore = shutdownCount;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [call, shutdownsBefore] {
            {
                std::lock_guard lock(callMutex);
                if (shutdownCount != shutdownsBefore) {
                    return;
                }
            }
            call->task();
            std::lock_guard lock(callMutex);
            call->done = true;
            callDone.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(callMutex);
    callDone.wait(lock, [&] { return call->done || shutdownCount != shutdownsBefore; });
    return call->done;
}

void UiThread::Shutdown() {
    std::lock_guard lock(callMutex);
    acceptingCalls = false;
    ++shutdownCount;
    callDone.notify_all();
}

} // namespace kelvo::dialog
