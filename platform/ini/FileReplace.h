#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvo {

enum class FileReadResult {
    read,    // contents hold the whole file
    missing, // no such file; contents are empty
    failed,  // the file is there but could not be read (or is no regular file)
};

// Reads a whole file into contents.
FileReadResult ReadWholeFile(const std::filesystem::path& path, std::string& contents);

// Replaces the file's contents so that a reader sees either the old file or the
// new one, never a part: the bytes go to a temporary file beside it, which is
// then renamed over the old one. A symbolic link is followed and kept. An
// existing file keeps its permissions, and one that may not be written is left
// alone. False on any failure, with the old file untouched.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view contents);

} // namespace kelvo
