#include "platform/ini/FileReplace.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <sys/random.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace kelvo {
namespace {

// Closes the descriptor on every way out.
class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : descriptor(descriptor) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
    int Get() const { return descriptor; }
    void Reset(int replacement) {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        descriptor = replacement;
    }
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

// The name the file has, or will have, once every symbolic link on the way
// (a dangling one too) is followed: writing there keeps the links. Empty for
// a loop of links.
std::optional<std::filesystem::path> WriteTarget(std::filesystem::path path) {
    // As many links as the kernel follows in one lookup.
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error) {
            return std::nullopt;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;
}

std::string TemporaryPrefix(const std::string& name) {
    return "." + name + ".tmp-";
}

// A name beside the file that nobody can foresee, so that nothing can be
// planted at it; the process id lets a later save tell a dead writer's leftover.
std::string TemporaryName(const std::string& name) {
    std::array<unsigned char, 12> bytes{};
    if (::getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        std::random_device device;
        for (unsigned char& byte : bytes) {
            byte = static_cast<unsigned char>(device());
        }
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string suffix;
    for (const unsigned char byte : bytes) {
        suffix += digits[byte >> 4];
        suffix += digits[byte & 0x0F];
    }
    return TemporaryPrefix(name) + std::to_string(::getpid()) + "-" + suffix;
}

// Removes temporary files of this name whose writer has died (killed during a
// save), as long as they are ours; those of a running process are its own.
void RemoveDeadTemporaries(int folder, const std::string& name) {
    const int listing = ::dup(folder);
    if (listing < 0) {
        return;
    }
    DIR* entries = ::fdopendir(listing);
    if (entries == nullptr) {
        ::close(listing);
        return;
    }
    const std::string prefix = TemporaryPrefix(name);
    while (const dirent* entry = ::readdir(entries)) {
        const std::string_view entryName = entry->d_name;
        if (!entryName.starts_with(prefix)) {
            continue;
        }
        const std::string_view rest = entryName.substr(prefix.size());
        pid_t writer = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), writer);
        if (error != std::errc{} || end == rest.data() || *end != '-' || writer <= 0 ||
            writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH) {
            continue;
        }
        struct stat status {};
        if (::fstatat(folder, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode) && status.st_uid == ::geteuid()) {
            ::unlinkat(folder, entry->d_name, 0);
        }
    }
    ::closedir(entries);
}

// Gives the new file what the old one had: owner and group where this process
// may, then the permissions (after the owner, which may clear set-id bits).
bool TakeOver(int file, const struct stat* existing) {
    if (existing == nullptr) {
        return true;
    }
    struct stat created {};
    if (::fstat(file, &created) == 0 &&
        (created.st_uid != existing->st_uid || created.st_gid != existing->st_gid) &&
        ::fchown(file, existing->st_uid, existing->st_gid) != 0) {
        [[maybe_unused]] const int groupOnly =
            ::fchown(file, static_cast<uid_t>(-1), existing->st_gid);
    }
    return ::fchmod(file, existing->st_mode & 07777) == 0;
}

// Gives an unnamed file a name beside the target; empty when the file
// system cannot.
std::optional<std::string> LinkUnnamed(int folder, int file, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(file);
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::string temporary = TemporaryName(name);
        if (::linkat(AT_FDCWD, self.c_str(), folder, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            ::linkat(file, "", folder, temporary.c_str(), AT_EMPTY_PATH) == 0) {
            return temporary;
        }
        if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Writes the new contents into a fresh file and flushes them to disk.
bool Fill(int file, const struct stat* existing, std::string_view contents) {
    return TakeOver(file, existing) && WriteAll(file, contents) && ::fsync(file) == 0;
}

void Remove(int folder, const std::optional<std::string>& temporary) {
    if (temporary && !temporary->empty()) {
        ::unlinkat(folder, temporary->c_str(), 0);
    }
}

// A named temporary file, filled: its name; an empty name when it was made
// but could not be filled (and is gone again); nothing when none could be made.
std::optional<std::string> CreateNamed(int folder, const std::string& name,
                                       const struct stat* existing, std::string_view contents) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = TemporaryName(name);
        // O_EXCL refuses any name that exists, a planted link included.
        Descriptor file(::openat(folder, temporary.c_str(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.Get() < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return std::nullopt;
        }
        if (!Fill(file.Get(), existing, contents) || !file.Close()) {
            ::unlinkat(folder, temporary.c_str(), 0);
            return std::string();
        }
        return temporary;
    }
    return std::nullopt;
}

// Writes the bytes over the file itself: the way out when no temporary file
// can be made. Writing before cutting the length reuses the file's own blocks,
// so a nearly full disk is less likely to stop it half-way.
bool RewriteInPlace(int folder, const std::string& name, std::string_view contents) {
    Descriptor file(::openat(folder, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    return WriteAll(file.Get(), contents) &&
           ::ftruncate(file.Get(), static_cast<off_t>(contents.size())) == 0 &&
           ::fsync(file.Get()) == 0 && file.Close();
}

} // namespace

FileReadResult ReadWholeFile(const std::filesystem::path& path, std::string& contents) {
    return ReadWholeFile(path, contents, defaultReadLimit);
}

FileReadResult ReadWholeFile(const std::filesystem::path& path, std::string& contents,
                             std::size_t limit) {
    contents.clear();
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? FileReadResult::missing
                                                     : FileReadResult::failed;
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size < 0 ||
        static_cast<std::uintmax_t>(status.st_size) > limit) {
        return FileReadResult::failed;
    }
    contents.reserve(static_cast<std::size_t>(status.st_size));
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
        // A file that grows while it is read is held to the same cap.
        if (contents.size() + static_cast<std::size_t>(count) > limit) {
            contents.clear();
            return FileReadResult::failed;
        }
        contents.append(buffer, static_cast<std::size_t>(count));
    }
}

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view contents) {
    const std::optional<std::filesystem::path> target = WriteTarget(path);
    if (!target || !target->has_filename()) {
        return false;
    }
    const std::string name = target->filename().string();
    const std::filesystem::path folderPath =
        target->has_parent_path() ? target->parent_path() : std::filesystem::path(".");
    Descriptor folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() < 0) {
        return false;
    }
    struct stat existing {};
    const bool exists = ::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && (!S_ISREG(existing.st_mode) ||
                   ::faccessat(folder.Get(), name.c_str(), W_OK, AT_EACCESS) != 0)) {
        return false;
    }
    RemoveDeadTemporaries(folder.Get(), name);

    // An unnamed file first: a kill before it is linked leaves nothing behind.
    std::optional<std::string> temporary;
    if (Descriptor file(::openat(folder.Get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        file.Get() >= 0) {
        if (!Fill(file.Get(), exists ? &existing : nullptr, contents)) {
            return false;
        }
        temporary = LinkUnnamed(folder.Get(), file.Get(), name);
        if (!file.Close()) {
            Remove(folder.Get(), temporary);
            return false;
        }
    }
    if (!temporary) {
        temporary = CreateNamed(folder.Get(), name, exists ? &existing : nullptr, contents);
    }
    if (!temporary) {
        // No file can be made beside it: the file itself takes the bytes
        // rather than the save being lost.
        return exists && RewriteInPlace(folder.Get(), name, contents);
    }
    if (temporary->empty() ||
        ::renameat(folder.Get(), temporary->c_str(), folder.Get(), name.c_str()) != 0) {
        Remove(folder.Get(), temporary);
        return false;
    }
    // The rename itself reaches the disk with the folder.
    ::fsync(folder.Get());
    return true;
}

} // namespace kelvo
