#include "monitor/mail/MailWorker.h"

#include <chrono>
#include <utility>

namespace kelvo {

MailWorker::~MailWorker() {
    Wait();
}

void MailWorker::Start(std::function<void()> job) {
    if (thread.joinable()) {
        thread.join();
    }
    running = true;
    thread = std::thread([this, job = std::move(job)] {
        job();
        running = false;
    });
}

void MailWorker::Wait(const std::function<void()>& serve) {
    while (running) {
        if (serve) {
            serve();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (thread.joinable()) {
        thread.join();
    }
}

} // namespace kelvo
