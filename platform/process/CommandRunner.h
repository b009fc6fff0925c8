#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kelvo {

// Runs programs without a shell, each watched on a thread of its own so that
// the caller never waits: a program that runs past the limit is killed with
// everything it started, and how each one ended is reported in one line.
class CommandRunner {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;
    // Gets each line; called on the runner's threads.
    using Report = std::function<void(const std::string&)>;

    static constexpr std::chrono::milliseconds defaultLimit{60000};

    explicit CommandRunner(std::chrono::milliseconds limit = defaultLimit, Report report = {});
    // Stops watching: a program still running is left to finish on its own.
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Starts arguments[0] (looked up on PATH when it has no "/") with the
    // arguments, in this process's environment with `environment` set over
    // it, its input from /dev/null. `what` names it in the reports.
    void Run(const std::vector<std::string>& arguments, const Environment& environment,
             const std::string& what);

    // True once every program started has ended or been killed, and reported;
    // false when `most` passes first.
    bool WaitUntilIdle(std::chrono::milliseconds most);

private:
    struct Watcher {
        std::thread thread;
        std::atomic<bool> done = false;
    };

    void WatchProcess(pid_t process, const std::string& what);
    void Tell(const std::string& line);
    void CollectFinished();

    const std::chrono::milliseconds limit;
    const Report report;
    int stopSignal = -1; // an eventfd the destructor raises
    std::mutex watchesLock;
    std::list<Watcher> watchers;
};

} // namespace kelvo
