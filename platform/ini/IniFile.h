#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The longest value a read gives: a 260-byte buffer less its terminator.
inline constexpr std::size_t iniValueLimit = 259;

// An initialisation file held in memory, read and edited with the rules of the
// Windows private-profile calls: a missing section or key gives the fallback;
// section and key names compare without regard to case and to surrounding
// blanks; values lose surrounding blanks and one pair of enclosing quotes.
// Edits keep every other line (comments, blank lines, other sections and keys,
// line ends) as it was, so that a file written elsewhere survives a rewrite.
// Load once, edit, save once.
class IniFile {
public:
    // An empty document whose new lines end with LF.
    IniFile() = default;

    // The document held in text. Lines end with LF or CR LF; new lines take the
    // end of the first line that has one.
    static IniFile FromText(std::string_view text);

    // Replaces the document with the file's. A missing file gives an empty
    // document and true. False when the file exists but cannot be read; the
    // document is then empty and a save would destroy what the file holds.
    bool Load(const std::filesystem::path& path);

    // The value of the key, cut to at most limit bytes (never inside a UTF-8
    // character), or the fallback, cut the same way.
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t limit = iniValueLimit) const;

    // Sets the key, adding the section at the end and the key after the
    // section's last line as needed. A line break in the value becomes a blank,
    // since it would start a line of its own. False, and nothing changes, for a
    // section or key name that could not be read back (empty, or holding a line
    // break, "]" in a section, "=" in a key).
    bool SetString(std::string_view section, std::string_view key, std::string_view value);

    // The document as file contents.
    std::string Text() const;

    // Writes the document to the file, replacing it whole (see ReplaceFileContents).
    bool Save(const std::filesystem::path& path) const;

private:
    struct Line {
        std::string text;   // without its line end
        std::string ending; // "\n", "\r\n", or empty for a last line without one
    };

    // Positions in lines; npos when absent.
    std::size_t FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t header) const;
    std::size_t FindKey(std::size_t header, std::string_view key) const;

    std::vector<Line> lines;
    std::string newline = "\n";
};

// One read and one write with a file each, for callers that need a single key.
std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view fallback, const std::filesystem::path& path);
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& path);

} // namespace kelvo
