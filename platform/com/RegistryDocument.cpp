#include "platform/com/RegistryDocument.h"

#include "platform/com/TextTrim.h"

#include <algorithm>

namespace kelvo {

namespace {

bool SameName(std::string_view left, std::string_view right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        return lower(a) == lower(b);
    });
}

} // namespace

RegistryDocument RegistryDocument::Parse(std::string_view text) {
    RegistryDocument document;
    Section* current = nullptr;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            const std::string name(TrimBlanks(line.substr(1, line.size() - 2)));
            // A repeated section continues the first one.
            auto found = document.Position(name);
            if (found == document.sections_.end()) {
                document.sections_.push_back({name, {}});
                current = &document.sections_.back();
            } else {
                current = &*found;
            }
            continue;
        }
        const auto equals = line.find('=');
        if (!current || equals == std::string_view::npos)
            continue;
        std::string key(TrimBlanks(line.substr(0, equals)));
        std::string value(TrimBlanks(line.substr(equals + 1)));
        auto existing = std::find_if(current->values.begin(), current->values.end(),
                                     [&](const auto& pair) { return pair.first == key; });
        if (existing != current->values.end())
            existing->second = std::move(value);
        else
            current->values.emplace_back(std::move(key), std::move(value));
    }
    return document;
}

std::string RegistryDocument::Text() const {
    std::string text = "# Component registry: classes, ProgIDs and type libraries.\n";
    for (const Section& section : sections_) {
        text += "\n[" + section.name + "]\n";
        for (const auto& [key, value] : section.values)
            text += key + "=" + value + "\n";
    }
    return text;
}

std::vector<RegistryDocument::Section>::iterator
RegistryDocument::Position(std::string_view section) {
    return std::find_if(sections_.begin(), sections_.end(),
                        [&](const Section& s) { return SameName(s.name, section); });
}

const RegistryDocument::Section* RegistryDocument::Find(std::string_view section) const {
    for (const Section& candidate : sections_)
        if (SameName(candidate.name, section))
            return &candidate;
    return nullptr;
}

const std::string* RegistryDocument::Value(std::string_view section, std::string_view key) const {
    const Section* found = Find(section);
    if (!found)
        return nullptr;
    for (const auto& [name, value] : found->values)
        if (name == key)
            return &value;
    return nullptr;
}

void RegistryDocument::SetSection(const std::string& section, Values values) {
    auto found = Position(section);
    if (found != sections_.end()) {
        found->values = std::move(values);
        return;
    }
    sections_.push_back({section, std::move(values)});
}

bool RegistryDocument::RemoveSection(std::string_view section) {
    auto found = Position(section);
    if (found == sections_.end())
        return false;
    sections_.erase(found);
    return true;
}

std::vector<std::string> RegistryDocument::SectionNames() const {
    std::vector<std::string> names;
    for (const Section& section : sections_)
        names.push_back(section.name);
    return names;
}

bool RegistryDocument::CanHoldName(std::string_view name) {
    return CanHoldValue(name) && !name.empty() && name.find_first_of("[]=") == std::string::npos &&
           TrimBlanks(name) == name && name.front() != '#' && name.front() != ';';
}

bool RegistryDocument::CanHoldValue(std::string_view value) {
    return value.find_first_of("\r\n") == std::string_view::npos && TrimBlanks(value) == value;
}

} // namespace kelvo
