#include "platform/autostart/StartupEntry.h"

#include "platform/ini/FileReplace.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo::autostart {
namespace {

// Desktop entries are UTF-8 text; a single malformed byte makes readers
// refuse the whole file, so such a path cannot be written at all.
bool IsUtf8(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size()) {
        const auto lead = static_cast<unsigned char>(text[position]);
        int length = 0;
        char32_t codePoint = 0;
        if (lead < 0x80) {
            ++position;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (position + static_cast<std::size_t>(length) > text.size()) {
            return false;
        }
        for (int index = 1; index < length; ++index) {
            const auto next = static_cast<unsigned char>(text[position + index]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        const bool overlong =
            (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
        const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
        if (overlong || surrogate || codePoint > 0x10FFFF) {
            return false;
        }
        position += static_cast<std::size_t>(length);
    }
    return true;
}

// A value of type string: its escapes keep line breaks, tabs and the blanks
// that readers would trim from the ends. Other control characters have no
// form in a desktop entry.
std::optional<std::string> EscapeString(std::string_view value) {
    if (!IsUtf8(value)) {
        return std::nullopt;
    }
    std::string escaped;
    for (std::size_t position = 0; position < value.size(); ++position) {
        const char c = value[position];
        const bool atEnd = position == 0 || position + 1 == value.size();
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case ' ':
            escaped += atEnd ? "\\s" : " ";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                return std::nullopt;
            }
            escaped += c;
        }
    }
    return escaped;
}

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// Creates each missing level; new levels are private to the user, as the
// base-directory rules ask for configuration folders.
bool MakeFolders(const std::filesystem::path& folder) {
    std::filesystem::path partial;
    for (const std::filesystem::path& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    struct stat status {};
    return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

std::filesystem::path EntryPath() {
    std::filesystem::path configHome;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); IsAbsolute(xdg)) {
        configHome = xdg;
    } else if (const char* home = std::getenv("HOME"); IsAbsolute(home)) {
        configHome = std::filesystem::path(home) / ".config";
    } else {
        return {};
    }
    return configHome / "autostart" / (std::string(entryName) + ".desktop");
}

std::filesystem::path RunningProgramPath() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program;
}

std::string QuoteExecArgument(std::string_view argument) {
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        } else if (c == '%') {
            quoted += '%'; // a lone % would start a field code
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string DesktopEntry(const std::filesystem::path& program,
                         const std::filesystem::path& workingDirectory) {
    const std::optional<std::string> exec = EscapeString(QuoteExecArgument(program.native()));
    const std::optional<std::string> path = EscapeString(workingDirectory.native());
    if (!exec || !path) {
        return {};
    }
    std::string entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=" +
                        std::string(entryName) + "\nExec=" + *exec + "\n";
    // The monitor reads its settings from the current folder; without this
    // it would start in the session's folder and miss them.
    if (!path->empty()) {
        entry += "Path=" + *path + "\n";
    }
    entry += "Terminal=false\n";
    return entry;
}

EntryResult WriteEntry(const std::filesystem::path& program,
                       const std::filesystem::path& workingDirectory) {
    const std::filesystem::path entryPath = EntryPath();
    if (entryPath.empty()) {
        return EntryResult::unavailable;
    }
    const std::string entry =
        program.empty() ? std::string() : DesktopEntry(program, workingDirectory);
    if (entry.empty() || !MakeFolders(entryPath.parent_path()) ||
        !ReplaceFileContents(entryPath, entry)) {
        return EntryResult::failed;
    }
    return EntryResult::done;
}

EntryResult RemoveEntry() {
    const std::filesystem::path entryPath = EntryPath();
    if (entryPath.empty()) {
        return EntryResult::unavailable;
    }
    if (::unlink(entryPath.c_str()) != 0 && errno != ENOENT) {
        return EntryResult::failed;
    }
    return EntryResult::done;
}

} // namespace kelvo::autostart
