#include "platform/process/CommandRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>

extern char** environ;

namespace kelvo {
namespace {

using Clock = std::chrono::steady_clock;

void WriteToStandardError(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
}

// This process's environment with the given names set over it.
std::vector<std::string> MergedEnvironment(const CommandRunner::Environment& environment) {
    std::set<std::string> replaced;
    for (const auto& [name, value] : environment) {
        replaced.insert(name);
    }
    std::vector<std::string> merged;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (replaced.count(text.substr(0, text.find('='))) == 0) {
            merged.push_back(text);
        }
    }
    for (const auto& [name, value] : environment) {
        merged.push_back(name + "=" + value);
    }
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::string Ending(int status) {
    if (WIFEXITED(status)) {
        return "ended with exit status " + std::to_string(WEXITSTATUS(status));
    }
    if (WIFSIGNALED(status)) {
        return "was ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    }
    return "ended";
}

std::string Seconds(std::chrono::milliseconds span) {
    const auto count = span.count();
    return count % 1000 == 0 ? std::to_string(count / 1000) + " s" : std::to_string(count) + " ms";
}

} // namespace

CommandRunner::CommandRunner(std::chrono::milliseconds limit, Report report)
    : limit(limit), report(report ? std::move(report) : Report(WriteToStandardError)),
      stopSignal(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CommandRunner::~CommandRunner() {
    std::size_t dropped = 0;
    {
        std::lock_guard guard(lock);
        stopping = true;
        dropped = queue.size();
        queue.clear();
    }
    changed.notify_all();
    if (stopSignal >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(stopSignal, &one, sizeof one);
    }
    if (worker.joinable()) {
        worker.join();
    }
    if (dropped > 0) {
        report(std::to_string(dropped) + " alarm command(s) still waiting are not run: the "
                                         "monitor ends");
    }
    if (stopSignal >= 0) {
        close(stopSignal);
    }
}

void CommandRunner::Run(const std::vector<std::string>& arguments, const Environment& environment,
                        const std::string& what) {
    if (arguments.empty()) {
        return;
    }
    {
        std::lock_guard guard(lock);
        if (queue.size() >= queueLimit) {
            report("alarm command \"" + what + "\" is not run: " + std::to_string(queueLimit) +
                   " are waiting already");
            return;
        }
        queue.push_back({arguments, environment, what});
        if (!worker.joinable()) {
            worker = std::thread([this] { Serve(); });
        }
    }
    changed.notify_all();
}

void CommandRunner::Serve() {
    std::unique_lock guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return stopping || !queue.empty(); });
        if (stopping) {
            return;
        }
        const Job job = std::move(queue.front());
        queue.pop_front();
        busy = true;
        guard.unlock();
        RunOne(job);
        guard.lock();
        busy = false;
        changed.notify_all();
    }
}

void CommandRunner::RunOne(const Job& job) {
    std::vector<std::string> argumentTexts = job.arguments;
    std::vector<std::string> environmentTexts = MergedEnvironment(job.environment);
    std::vector<char*> argv = Pointers(argumentTexts);
    std::vector<char*> envp = Pointers(environmentTexts);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so that a kill reaches what it started; signals as a
    // fresh program expects them, whatever this process blocks or ignores.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                              POSIX_SPAWN_SETSIGDEF);
    pid_t process = -1;
    const int failure =
        posix_spawnp(&process, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        report("alarm command \"" + job.what +
               "\" could not be started: " + std::strerror(failure));
        return;
    }
    WatchProcess(process, job.what);
}

void CommandRunner::WatchProcess(pid_t process, const std::string& what) {
    const int processSignal = static_cast<int>(syscall(SYS_pidfd_open, process, 0));
    const auto deadline = Clock::now() + limit;
    bool ended = false;
    bool stopped = false;
    while (!ended && !stopped) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            break;
        }
        // Without a process descriptor (an old kernel) the wait looks again
        // every 20 ms.
        pollfd entries[2] = {{stopSignal, POLLIN, 0}, {processSignal, POLLIN, 0}};
        const int timeout = processSignal >= 0 ? static_cast<int>(std::min<long long>(left, 60000))
                                               : static_cast<int>(std::min<long long>(left, 20));
        const int ready = poll(entries, processSignal >= 0 ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR) {
            break;
        }
        stopped = (entries[0].revents & POLLIN) != 0;
        int status = 0;
        const pid_t reaped = waitpid(process, &status, WNOHANG);
        if (reaped == process) {
            ended = true;
            report("alarm command \"" + what + "\" " + Ending(status));
        }
    }
    if (!ended && stopped) {
        report("alarm command \"" + what +
               "\" is still running as the monitor ends; it is left "
               "to finish");
    } else if (!ended) {
        kill(-process, SIGKILL);
        int status = 0;
        while (waitpid(process, &status, 0) < 0 && errno == EINTR) {
        }
        report("alarm command \"" + what + "\" ran longer than " + Seconds(limit) +
               " and was killed");
    }
    if (processSignal >= 0) {
        close(processSignal);
    }
}

bool CommandRunner::WaitUntilIdle(std::chrono::milliseconds most) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, most, [this] { return queue.empty() && !busy; });
}

} // namespace kelvo
