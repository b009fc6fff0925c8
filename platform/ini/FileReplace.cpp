#include "platform/ini/FileReplace.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kelvo {
namespace {

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor(descriptor) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
    int Get() const { return descriptor; }
    // Closes now, so that a failing close (a full disk on some file systems) is seen.
    bool Close() {
        const int closing = descriptor;
        descriptor = -1;
        return ::close(closing) == 0;
    }

private:
    int descriptor;
};

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The file a write lands in: the target of a symbolic link, so that the link stays.
std::filesystem::path WriteTarget(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        return path;
    }
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path : resolved;
}

// A name beside the target that no other writer in this or another process uses.
std::filesystem::path TemporaryName(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path name = target;
    name.replace_filename("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) +
                          "-" + std::to_string(counter++));
    return name;
}

} // namespace

FileReadResult ReadWholeFile(const std::filesystem::path& path, std::string& contents) {
    contents.clear();
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.Get() < 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? FileReadResult::missing
                                                     : FileReadResult::failed;
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return FileReadResult::failed;
    }
    char buffer[16384];
    for (;;) {
        const ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
        if (count == 0) {
            return FileReadResult::read;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            contents.clear();
            return FileReadResult::failed;
        }
        contents.append(buffer, static_cast<std::size_t>(count));
    }
}

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view contents) {
    const std::filesystem::path target = WriteTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) {
        return false;
    }

    std::filesystem::path temporary;
    int descriptor = -1;
    for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
        temporary = TemporaryName(target);
        // 0666 lets the umask decide for a new file, as for any file the user creates.
        descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (descriptor < 0) {
        return false;
    }
    Descriptor file(descriptor);
    const bool written = (!exists || ::fchmod(file.Get(), existing.st_mode & 07777) == 0) &&
                         WriteAll(file.Get(), contents) && ::fsync(file.Get()) == 0;
    if (!file.Close() || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace kelvo
