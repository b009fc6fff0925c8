#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvo {

enum class FileReadResult {
    read,    // contents hold the whole file
    missing, // no such file; contents are empty
    failed,  // the file is there but could not be read, is no regular file, or is too large
};

// The most a read takes without a cap of its own: far more than any settings,
// chart or sound file this program reads, far less than what would exhaust memory.
inline constexpr std::size_t defaultReadLimit = std::size_t{64} << 20;

// Reads a whole file from outside into contents. The file is opened without
// blocking, so that a FIFO or a device cannot hold the caller; anything but a
// regular file, and a file larger than limit bytes, is "failed" with empty
// contents: the caller must treat it as unreadable, and never overwrite it.
FileReadResult ReadWholeFile(const std::filesystem::path& path, std::string& contents);
FileReadResult ReadWholeFile(const std::filesystem::path& path, std::string& contents,
                             std::size_t limit);

// Replaces the file's contents so that a reader sees either the old file or the
// new one, never a part. The bytes go to a temporary file beside it that no one
// else can open or name in advance (an unnamed file where the file system
// offers one, else an exclusively created file with an unguessable name; links
// are never followed), which is flushed to disk and then renamed over the old
// one. A temporary file left by a process that died during a save is removed
// at the next save.
//
// A symbolic link is followed and kept, a dangling one included: the file is
// written where it points. The new file keeps the old one's permissions, and
// its owner and group where the process may give them; a new file is created
// readable by its owner alone (it may hold a password). A file that may not be
// written is left alone.
//
// When no temporary file can be created beside the file (a folder without
// write permission), an existing writable file is rewritten in place instead:
// the save then lands, though a failure half-way would leave it torn.
//
// A file with several hard links gets a new inode under this name only; its
// other names keep the old contents.
//
// False on any failure, with the old file untouched.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view contents);

} // namespace kelvo
