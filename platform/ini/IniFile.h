#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelvo {

// The longest value a read gives: a 260-byte buffer less its terminator.
inline constexpr std::size_t iniValueLimit = 259;

// The largest file Load reads: far beyond any real settings file. A larger one
// is treated as unreadable, so it yields the defaults and is never overwritten.
inline constexpr std::size_t iniFileLimit = std::size_t{1} << 20;

// An initialisation file held in memory, read and edited with the rules of the
// Windows private-profile calls: a missing section or key gives the fallback;
// section and key names compare without regard to case and to surrounding
// blanks; values lose surrounding blanks and one pair of enclosing quotes.
// Edits keep every other line (comments, blank lines, other sections and keys,
// line ends) as it was, so that a file written elsewhere survives a rewrite.
// Load once, edit, save once. Sections and keys are indexed as the text is
// read, so a lookup costs the same in a file of any length.
class IniFile {
public:
    // An empty document whose new lines end with LF.
    IniFile() = default;

    // The document held in text. Lines end with LF or CR LF, or, in a text
    // without any LF (as old Mac editors write it), with a lone CR; new lines
    // take the end of the first line that has one.
    static IniFile FromText(std::string_view text);

    // Replaces the document with the file's. A missing file gives an empty
    // document and true. False when the file exists but cannot be read, or
    // holds more than limit bytes; the document is then empty and a save would
    // destroy what the file holds.
    bool Load(const std::filesystem::path& path, std::size_t limit = iniFileLimit);

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
    enum class LineEnd : std::uint8_t { none, lf, crlf, cr }; // none: a last line without one
    struct Line {
        std::string text; // without its line end
        LineEnd ending = LineEnd::none;
    };
    // Where a section lies in lines, and where its keys are.
    struct Section {
        std::size_t header = 0; // the "[name]" line
        std::size_t end = 0;    // the next section's header, or the end of the document
        std::unordered_map<std::string, std::size_t> keys; // lower-case name: its first line
    };

    // The first section of that name; null when absent.
    const Section* FindSection(std::string_view section) const;
    void BuildIndex();
    // Inserts a line at position and moves every indexed position behind it.
    void InsertLine(std::size_t position, Line line);

    std::vector<Line> lines;
    LineEnd newline = LineEnd::lf;
    std::vector<Section> sections;                             // in file order
    std::unordered_map<std::string, std::size_t> firstSection; // lower-case name: index in sections
};

// One read and one write with a file each, for callers that need a single key.
std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view fallback, const std::filesystem::path& path);
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& path);

} // namespace kelvo
