#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kelvo {

// Runs programs without a shell, one after another in the order asked for, on
// a thread of its own so that the caller never waits: a program that runs
// past the limit is killed with everything it started, and how each one ended
// is reported in one line.
class CommandRunner {
public:
    using Environment = std::vector<std::pair<std::string, std::string>>;
    // Gets each line; called on the runner's thread (or on the caller's, for
    // a program that cannot be queued).
    using Report = std::function<void(const std::string&)>;

    static constexpr std::chrono::milliseconds defaultLimit{60000};
    // Programs that may wait their turn; one asked for beyond is not run.
    static constexpr std::size_t queueLimit = 16;

    explicit CommandRunner(std::chrono::milliseconds limit = defaultLimit, Report report = {});
    // Stops: a program still running is left to finish on its own, and those
    // still waiting are not run.
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Queues arguments[0] (looked up on PATH when it has no "/") with the
    // arguments, to run in this process's environment with `environment` set
    // over it and its input from /dev/null. `what` names it in the reports.
    void Run(const std::vector<std::string>& arguments, const Environment& environment,
             const std::string& what);

    // True once every program asked for has ended or been killed, and been
    // reported; false when `most` passes first.
    bool WaitUntilIdle(std::chrono::milliseconds most);

private:
    struct Job {
        std::vector<std::string> arguments;
        Environment environment;
        std::string what;
    };

    void Serve();
    void RunOne(const Job& job);
    // Waits for the program to end, the limit to pass or the runner to stop.
    void WatchProcess(pid_t process, const std::string& what);

    const std::chrono::milliseconds limit;
    const Report report;
    int stopSignal = -1; // an eventfd the destructor raises
    std::mutex lock;
    std::condition_variable changed;
    std::deque<Job> queue;
    bool busy = false;
    bool stopping = false;
    std::thread worker;
};

} // namespace kelvo
