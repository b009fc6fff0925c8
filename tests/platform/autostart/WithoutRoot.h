#pragma once

#include <cstdio>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvo::testing {

// Runs body in a child process that has given up root, so that a folder
// without write permission refuses writes to the code under test as it would
// to any user (root writes everywhere). Returns body's result; 126 when the
// child could not give up root, -1 when it did not end normally. Folders on
// the way must let "nobody" through.
inline int RunWithoutRoot(const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr unsigned nobody = 65534;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
             ::setresuid(nobody, nobody, nobody) != 0)) {
            ::_exit(126);
        }
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

} // namespace kelvo::testing
