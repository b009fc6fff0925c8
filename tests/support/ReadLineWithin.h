#pragma once

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace kelvo::test {

// Reads one line a child process writes to the descriptor, without its line
// end; empty when none came within the limit or the pipe closed first, so a
// helper that never starts fails its test instead of hanging it.
inline std::string ReadLineWithin(int descriptor, std::chrono::seconds limit) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!line.ends_with('\n') && std::chrono::steady_clock::now() < deadline) {
        pollfd entry{descriptor, POLLIN, 0};
        if (poll(&entry, 1, 100) <= 0) {
            continue;
        }
        char byte = 0;
        if (read(descriptor, &byte, 1) != 1) {
            return {};
        }
        line += byte;
    }
    if (!line.ends_with('\n')) {
        return {};
    }
    line.pop_back();
    return line;
}

} // namespace kelvo::test
