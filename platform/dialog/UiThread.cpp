#include "platform/dialog/UiThread.h"

#include <QObject>
#include <QSocketNotifier>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <sys/eventfd.h>
#include <unistd.h>

namespace kelvo::dialog {
namespace {

struct PendingCall {
    std::function<void()> task;
    bool done = false;
    bool refused = false;
};

// Calls wait in our own queue, guarded by our own lock, and an eventfd wakes
// the user-interface thread's event loop to drain it. No Qt object or event
// crosses threads, so the hand-over never rests on Qt's internal locking,
// which thread checkers cannot see into.
std::mutex callMutex;
std::condition_variable callDone;
std::deque<std::shared_ptr<PendingCall>> pendingCalls;
bool acceptingCalls = true;
QThread* uiThread = nullptr;

void RefusePendingCalls() {
    for (const auto& call : pendingCalls) {
        call->refused = true;
    }
    pendingCalls.clear();
    callDone.notify_all();
}

} // namespace

// Lives on the user-interface thread; runs the queued calls there when the
// eventfd says that some have arrived.
class UiCallDrain : public QObject {
    Q_OBJECT
public:
    UiCallDrain()
        : wakeUp(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
          notifier(wakeUp, QSocketNotifier::Read, this) {
        connect(&notifier, &QSocketNotifier::activated, this, [this] {
            eventfd_t count = 0;
            ::eventfd_read(wakeUp, &count);
            Drain();
        });
    }
    ~UiCallDrain() override { ::close(wakeUp); }

    void WakeUp() const { ::eventfd_write(wakeUp, 1); }

private:
    void Drain() {
        for (;;) {
            std::shared_ptr<PendingCall> call;
            {
                std::lock_guard lock(callMutex);
                if (pendingCalls.empty()) {
                    return;
                }
                call = std::move(pendingCalls.front());
                pendingCalls.pop_front();
            }
            call->task();
            std::lock_guard lock(callMutex);
            call->done = true;
            callDone.notify_all();
        }
    }

    int wakeUp;
    QSocketNotifier notifier;
};

namespace {
UiCallDrain* drain = nullptr;
} // namespace

void UiThread::Attach() {
    std::lock_guard lock(callMutex);
    uiThread = QThread::currentThread();
    acceptingCalls = true;
    if (drain == nullptr) {
        drain = new UiCallDrain;
    }
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
    {
        std::lock_guard lock(callMutex);
        if (!acceptingCalls || drain == nullptr) {
            return false;
        }
        pendingCalls.push_back(call);
    }
    drain->WakeUp();
    std::unique_lock lock(callMutex);
    callDone.wait(lock, [&] { return call->done || call->refused; });
    return call->done;
}

void UiThread::Shutdown() {
    std::lock_guard lock(callMutex);
    acceptingCalls = false;
    RefusePendingCalls();
}

} // namespace kelvo::dialog

#include "UiThread.moc"
