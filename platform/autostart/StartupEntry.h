#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvo::autostart {

// The entry's name: the desktop environment starts every program listed in
// the user's autostart folder at log-in.
inline constexpr std::string_view entryName = "HID Kelvo2";

enum class EntryResult {
    done,
    unavailable, // no autostart folder can be named: neither XDG_CONFIG_HOME nor HOME is set
    failed,      // the folder or the file could not be written or removed
};

// $XDG_CONFIG_HOME/autostart/HID Kelvo2.desktop, with ~/.config in place of a
// missing or relative XDG_CONFIG_HOME; empty when neither can be named.
std::filesystem::path EntryPath();

// The full path of the running program's file; empty when it cannot be read.
std::filesystem::path RunningProgramPath();

// One argument of an Exec line, quoted so that the desktop environment hands
// the program exactly this text, whatever characters it holds.
std::string QuoteExecArgument(std::string_view argument);

// The desktop entry that starts program in workingDirectory.
std::string DesktopEntry(const std::filesystem::path& program,
                         const std::filesystem::path& workingDirectory);

// Writes (or rewrites) the entry, creating the folders when missing; the old
// entry stays whole when the new one cannot be written.
EntryResult WriteEntry(const std::filesystem::path& program,
                       const std::filesystem::path& workingDirectory);

// Deletes the entry; a missing entry counts as done.
EntryResult RemoveEntry();

} // namespace kelvo::autostart
