#include "monitor/app/TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace kelvo {
namespace {

constexpr int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler may only write to a descriptor; the notifier reads it on
// the user-interface thread.
int signalPipe[2] = {-1, -1};

// Set by the first request; a flag a handler may test and set.
std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void WriteSignal(int signalNumber) {
    // The interrupted code may be about to read errno.
    const int savedErrno = errno;
    if (!requested.exchange(true)) {
        const char byte = static_cast<char>(signalNumber);
        [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
    }
    errno = savedErrno;
}

void SetDisposition(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : handledSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onTermination)
    : onTermination(std::move(onTermination)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        return;
    }
    // Both ends non-blocking: the handler must never wait, and the reader
    // drains whatever is there and returns.
    ::fcntl(signalPipe[0], F_SETFL, O_NONBLOCK);
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(signalPipe[1], &byte, 1) == 1) {
        }
        this->onTermination();
    });
    requested = false;
    SetDisposition(WriteSignal);
}

TerminationSignals::~TerminationSignals() {
    // The program is ending (its window is closed and being torn down): a
    // signal now must not cut that short.
    SetDisposition(SIG_IGN);
    delete notifier;
    for (int& descriptor : signalPipe) {
        if (descriptor >= 0) {
            ::close(descriptor);
            descriptor = -1;
        }
    }
}

} // namespace kelvo
