#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kelvo::test {

// A program run as a child in a folder of its own, with the caller's
// environment changed by `variables` (a name without a value is removed).
// Without a log, its standard output and input are pipes of the test's;
// with one, its standard output and error go to that file. With folderGone,
// the folder is removed once the child is in it. A child still running when
// the object goes is stopped.
class ChildProcess {
public:
    using Variables = std::map<std::string, std::optional<std::string>>;

    static constexpr int deadlineSeconds = 30;

    ChildProcess(std::vector<std::string> arguments, const std::filesystem::path& folder,
                 const Variables& variables, const std::filesystem::path& log = {},
                 bool folderGone = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid > 0; }
    bool Running();
    // True once the process has installed its own handler for the signal.
    bool WaitUntilCatching(int signalNumber) const;
    // True once the child has printed this line on its standard output.
    bool WaitForLine(const std::string& wanted);
    void Signal(int signalNumber) const;
    void CloseInput();
    // The exit code, 128 + the signal that ended it, or -1 when still running
    // at the deadline.
    int WaitForExit();
    // Asks it to end (SIGTERM) and waits; kills it at the deadline. The exit
    // code as WaitForExit gives it, or -1 when it had to be killed.
    int Stop();

private:
    bool Reaped(int options);

    pid_t pid = -1;
    bool ended = false;
    int exitCode = -1;
    int outputPipe = -1;
    int inputPipe = -1;
    std::string output;
};

} // namespace kelvo::test
