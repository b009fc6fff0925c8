#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace kelvo {

// Runs one report's exchange at a time on a thread of its own, so that a slow
// or silent mail server holds neither the window nor the sampling.
class MailWorker {
public:
    MailWorker() = default;
    // Waits for the job: it must not outlive what it reports to.
    ~MailWorker();
    MailWorker(const MailWorker&) = delete;
    MailWorker& operator=(const MailWorker&) = delete;

    // Runs job on a new thread. The owner starts no job while one is in
    // flight; the thread of the last one, ending anyway, is collected here.
    void Start(std::function<void()> job);

    bool Running() const { return running; }

    // Returns once the job has ended. serve runs between looks, so that a job
    // waiting for the caller's thread can go on.
    void Wait(const std::function<void()>& serve = {});

private:
    std::thread thread;
    std::atomic<bool> running = false;
};

} // namespace kelvo
