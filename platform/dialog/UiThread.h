#pragma once

#include <functional>

namespace kelvo::dialog {

// Runs work on the user-interface thread for a worker thread and waits for
// it, as a window call made from another thread would. Widgets are touched
// only on the user-interface thread this way.
class UiThread {
public:
    // Called on the user-interface thread once its event loop exists; also
    // accepts calls again after a Shutdown.
    static void Attach();
    static bool IsUiThread();

    // On a worker: queues the task to the user-interface thread and waits
    // until it has run. On the user-interface thread: runs it at once.
    // False when the user-interface thread no longer takes calls: the task
    // did not run.
    static bool BlockingCall(const std::function<void()>& task);

    // Refuses further calls and releases every waiting worker, so that the
    // user-interface thread can wait for a worker without a deadlock.
    static void Shutdown();
};

} // namespace kelvo::dialog
