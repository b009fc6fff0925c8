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

// Names compare without regard to ASCII case, as the profile calls compare them.
std::string Lower(std::string_view name) {
    std::string lowered(name);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return lowered;
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
    // Without a single LF the file comes from an editor that ends lines with CR alone.
    const bool crOnly = text.find('\n') == std::string_view::npos;
    const char breakCharacter = crOnly ? '\r' : '\n';
    file.lines.reserve(
        static_cast<std::size_t>(std::count(text.begin(), text.end(), breakCharacter)) + 1);
    bool styleKnown = false;
    while (!text.empty()) {
        const std::size_t found = text.find(breakCharacter);
        Line line;
        if (found == std::string_view::npos) {
            line.text = std::string(text);
            text = {};
        } else {
            const bool crlf = !crOnly && found > 0 && text[found - 1] == '\r';
            line.text = std::string(text.substr(0, crlf ? found - 1 : found));
            line.ending = crOnly ? LineEnd::cr : (crlf ? LineEnd::crlf : LineEnd::lf);
            text.remove_prefix(found + 1);
            if (!styleKnown) {
                file.newline = line.ending;
                styleKnown = true;
            }
        }
        file.lines.push_back(std::move(line));
    }
    file.BuildIndex();
    return file;
}

void IniFile::BuildIndex() {
    sections.clear();
    firstSection.clear();
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const Parsed parsed = ParseLine(lines[index].text, index == 0);
        if (parsed.kind == Parsed::section) {
            if (!sections.empty()) {
                sections.back().end = index;
            }
            firstSection.try_emplace(Lower(parsed.name), sections.size());
            sections.push_back({index, lines.size(), {}});
        } else if (parsed.kind == Parsed::key && !sections.empty()) {
            // The first of repeated keys is the one a read finds.
            sections.back().keys.try_emplace(Lower(parsed.name), index);
        }
    }
}

void IniFile::InsertLine(std::size_t position, Line line) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(position), std::move(line));
    auto move = [position](std::size_t& index) {
        if (index >= position) {
            ++index;
        }
    };
    for (Section& entry : sections) {
        move(entry.header);
        move(entry.end);
        for (auto& key : entry.keys) {
            move(key.second);
        }
    }
}

bool IniFile::Load(const std::filesystem::path& path, std::size_t limit) {
    std::string contents;
    const FileReadResult result = ReadWholeFile(path, contents, limit);
    *this = FromText(contents);
    return result != FileReadResult::failed;
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
    const auto found = firstSection.find(Lower(Trim(section)));
    return found == firstSection.end() ? nullptr : &sections[found->second];
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view fallback, std::size_t limit) const {
    if (const Section* entry = FindSection(section)) {
        const auto found = entry->keys.find(Lower(Trim(key)));
        if (found != entry->keys.end()) {
            return Cut(ParseLine(lines[found->second].text, false).value, limit);
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
    if (!lines.empty() && lines.back().ending == LineEnd::none) {
        lines.back().ending = newline;
    }

    const auto found = firstSection.find(Lower(section));
    if (found == firstSection.end()) {
        const std::size_t header = lines.size();
        lines.push_back({"[" + std::string(section) + "]", newline});
        lines.push_back({std::string(key) + "=" + flat, newline});
        firstSection.emplace(Lower(section), sections.size());
        sections.push_back({header, lines.size(), {{Lower(key), header + 1}}});
        return true;
    }
    Section& entry = sections[found->second];
    if (const auto existing = entry.keys.find(Lower(key)); existing != entry.keys.end()) {
        // The name keeps the spelling the file gave it.
        Line& line = lines[existing->second];
        line.text = std::string(ParseLine(line.text, false).name) + "=" + flat;
        return true;
    }
    // After the section's last non-blank line, so that blank lines that part it
    // from the next section stay where they are.
    std::size_t insert = entry.end;
    while (insert > entry.header + 1 && Trim(lines[insert - 1].text).empty()) {
        --insert;
    }
    const std::size_t sectionIndex = found->second;
    InsertLine(insert, Line{std::string(key) + "=" + flat, newline});
    sections[sectionIndex].keys.emplace(Lower(key), insert);
    return true;
}

std::string IniFile::Text() const {
    std::string text;
    for (const Line& line : lines) {
        text += line.text;
        switch (line.ending) {
        case LineEnd::none:
            break;
        case LineEnd::lf:
            text += '\n';
            break;
        case LineEnd::crlf:
            text += "\r\n";
            break;
        case LineEnd::cr:
            text += '\r';
            break;
        }
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
