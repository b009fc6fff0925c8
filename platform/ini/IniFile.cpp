#include "platform/ini/IniFile.h"

#include "platform/ini/FileReplace.h"

#include <algorithm>

namespace kelvo {
namespace {

constexpr std::string_view blanks = " \t\r";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool EqualIgnoringCase(std::string_view left, std::string_view right) {
    auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; };
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

// What one line of the file is, seen through the private-profile rules.
struct Parsed {
    enum Kind { other, section, key } kind = other;
    std::string_view name;
    std::string_view value;
};

Parsed ParseLine(std::string_view text, bool first) {
    if (first && text.starts_with(byteOrderMark)) {
        text.remove_prefix(byteOrderMark.size());
    }
    const std::string_view trimmed = Trim(text);
    if (trimmed.starts_with('[')) {
        const std::string_view inside = trimmed.substr(1);
        return {Parsed::section, Trim(inside.substr(0, inside.find(']'))), {}};
    }
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos || trimmed.starts_with(';')) {
        return {};
    }
    std::string_view value = Trim(trimmed.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return {Parsed::key, Trim(trimmed.substr(0, equals)), value};
}

std::string Cut(std::string_view value, std::size_t limit) {
    if (value.size() <= limit) {
        return std::string(value);
    }
    // Back off over UTF-8 continuation bytes so that no character is split; a
    // character is at most four bytes, so at most three are dropped.
    std::size_t end = limit;
    for (int step = 0;
         step < 3 && end > 0 && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80; ++step) {
        --end;
    }
    if ((static_cast<unsigned char>(value[end]) & 0xC0) == 0x80) {
        end = limit; // not UTF-8 after all: cut at the limit
    }
    return std::string(value.substr(0, end));
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

IniFile IniFile::FromText(std::string_view text) {
    IniFile file;
    bool styleKnown = false;
    while (!text.empty()) {
        const std::size_t feed = text.find('\n');
        Line line;
        if (feed == std::string_view::npos) {
            line.text = std::string(text);
            text = {};
        } else {
            const bool crlf = feed > 0 && text[feed - 1] == '\r';
            line.text = std::string(text.substr(0, crlf ? feed - 1 : feed));
            line.ending = crlf ? "\r\n" : "\n";
            text.remove_prefix(feed + 1);
            if (!styleKnown) {
                file.newline = line.ending;
                styleKnown = true;
            }
        }
        file.lines.push_back(std::move(line));
    }
    return file;
}

bool IniFile::Load(const std::filesystem::path& path) {
    std::string contents;
    const FileReadResult result = ReadWholeFile(path, contents);
    *this = FromText(contents);
    return result != FileReadResult::failed;
}

std::size_t IniFile::FindSection(std::string_view section) const {
    const std::string_view wanted = Trim(section);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const Parsed parsed = ParseLine(lines[index].text, index == 0);
        if (parsed.kind == Parsed::section && EqualIgnoringCase(parsed.name, wanted)) {
            return index;
        }
    }
    return std::string::npos;
}

std::size_t IniFile::SectionEnd(std::size_t header) const {
    std::size_t index = header + 1;
    while (index < lines.size() && ParseLine(lines[index].text, false).kind != Parsed::section) {
        ++index;
    }
    return index;
}

std::size_t IniFile::FindKey(std::size_t header, std::string_view key) const {
    const std::string_view wanted = Trim(key);
    const std::size_t end = SectionEnd(header);
    for (std::size_t index = header + 1; index < end; ++index) {
        const Parsed parsed = ParseLine(lines[index].text, false);
        if (parsed.kind == Parsed::key && EqualIgnoringCase(parsed.name, wanted)) {
            return index;
        }
    }
    return std::string::npos;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view fallback, std::size_t limit) const {
    const std::size_t header = FindSection(section);
    if (header != std::string::npos) {
        const std::size_t line = FindKey(header, key);
        if (line != std::string::npos) {
            return Cut(ParseLine(lines[line].text, false).value, limit);
        }
    }
    return Cut(fallback, limit);
}

bool IniFile::SetString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || HasLineBreak(section) || section.find(']') != std::string_view::npos ||
        key.empty() || HasLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.starts_with('[') || key.starts_with(';')) {
        return false;
    }
    std::string flat(value);
    std::replace_if(
        flat.begin(), flat.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');

    // A last line without its end gets one before anything follows it.
    if (!lines.empty() && lines.back().ending.empty()) {
        lines.back().ending = newline;
    }

    std::size_t header = FindSection(section);
    if (header == std::string::npos) {
        lines.push_back({"[" + std::string(section) + "]", newline});
        lines.push_back({std::string(key) + "=" + flat, newline});
        return true;
    }
    const std::size_t existing = FindKey(header, key);
    if (existing != std::string::npos) {
        // The name keeps the spelling the file gave it.
        const std::string name(ParseLine(lines[existing].text, false).name);
        lines[existing].text = name + "=" + flat;
        return true;
    }
    // After the section's last non-blank line, so that blank lines that part it
    // from the next section stay where they are.
    std::size_t insert = SectionEnd(header);
    while (insert > header + 1 && Trim(lines[insert - 1].text).empty()) {
        --insert;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insert),
                 Line{std::string(key) + "=" + flat, newline});
    return true;
}

std::string IniFile::Text() const {
    std::string text;
    for (const Line& line : lines) {
        text += line.text;
        text += line.ending;
    }
    return text;
}

bool IniFile::Save(const std::filesystem::path& path) const {
    return ReplaceFileContents(path, Text());
}

std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view fallback, const std::filesystem::path& path) {
    IniFile file;
    file.Load(path);
    return file.GetString(section, key, fallback);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path& path) {
    IniFile file;
    return file.Load(path) && file.SetString(section, key, value) && file.Save(path);
}

} // namespace kelvo
