#include "monitor/core/RecordFile.h"

#include "monitor/core/LocalTime.h"
#include "monitor/core/SamplingRules.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {
namespace {

constexpr std::string_view header = "NO,DateTime,Inner,Outer,\r\n";

// Writes bytes at the end of the file; on failure the bytes that did land are
// cut off again, so that a full disk leaves no half line for the next row to
// run into.
bool AppendWhole(int descriptor, std::string_view bytes) {
    struct stat before {};
    if (::fstat(descriptor, &before) != 0) {
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            struct stat after {};
            // Only our own bytes are taken back, never another writer's.
            if (written > 0 && ::fstat(descriptor, &after) == 0 &&
                after.st_size == before.st_size + static_cast<off_t>(written)) {
                (void)::ftruncate(descriptor, before.st_size);
            }
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    return true;
}

} // namespace

std::string FormatLocalDateTime(std::time_t time) {
    return FormatLocalTime(time, "%Y-%m-%d %H:%M:%S");
}

std::string MakeRecordFileName(std::time_t time) {
    const std::tm local = LocalTime(time);
    return std::to_string(local.tm_year + 1900) + "Y" + std::to_string(local.tm_mon + 1) + "m" +
           std::to_string(local.tm_mday) + "d" + std::to_string(local.tm_hour) + "H" +
           std::to_string(local.tm_min) + "M" + std::to_string(local.tm_sec) + "S.csv";
}

bool WriteRecordRow(MonitorState& state, std::time_t now) {
    if (state.recordFileName.empty()) {
        state.recordFileName = MakeRecordFileName(now);
    }
    if (state.recordRowNumber >= state.saveItems) {
        state.recordRowNumber = 1;
        state.recordFileName = MakeRecordFileName(now);
    } else {
        ++state.recordRowNumber;
    }

    struct stat status {};
    if (::stat(state.recordDirectory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        // Only the last level, and a failure shows as a row not written.
        (void)::mkdir(state.recordDirectory.c_str(), 0777);
    }
    if (state.recordDirectory.empty() || state.recordDirectory.back() != '/') {
        state.recordDirectory += '/';
    }

    const std::string path = state.recordDirectory + state.recordFileName;
    // Non-blocking, so that a pipe put in the file's place cannot hold the window.
    const int descriptor =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0666);
    if (descriptor < 0) {
        return false;
    }
    bool written = false;
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
        // An empty file gets the header too: one left empty by a full disk
        // would otherwise never have one.
        std::string bytes = status.st_size == 0 ? std::string(header) : std::string();
        bytes += std::to_string(state.recordRowNumber) + "," + FormatLocalDateTime(now) + "," +
                 FormatTemperature(state.innerCurrent, state.isCelsius) + "," +
                 FormatTemperature(state.outerCurrent, state.isCelsius) + "\r\n";
        written = AppendWhole(descriptor, bytes);
    }
    return ::close(descriptor) == 0 && written;
}

std::string RecordLostNote(const MonitorState& state, std::time_t now, int error) {
    std::string note = FormatLocalDateTime(now) + " record row " +
                       std::to_string(state.recordRowNumber) + " not written to " +
                       state.recordDirectory + state.recordFileName;
    if (error != 0) {
        note += std::string(": ") + std::strerror(error);
    }
    return note + "; rows are lost until one can be written";
}

std::string RecordResumedNote(const MonitorState& state, std::time_t now) {
    return FormatLocalDateTime(now) + " record rows written again from row " +
           std::to_string(state.recordRowNumber) + " of " + state.recordDirectory +
           state.recordFileName;
}

} // namespace kelvo
