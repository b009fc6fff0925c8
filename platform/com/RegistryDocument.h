#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvo {

// The text form of the component registry: "[section]" lines, each followed by
// "key=value" lines. Blank lines and lines starting with '#' or ';' are
// comments; anything else that is no section or pair is skipped, so a damaged
// line costs only itself. Section names compare without regard to ASCII case.
class RegistryDocument {
public:
    using Values = std::vector<std::pair<std::string, std::string>>;

    static RegistryDocument Parse(std::string_view text);
    std::string Text() const;

    // The value, or null when the section or key is missing.
    const std::string* Value(std::string_view section, std::string_view key) const;
    // Replaces the whole section, or adds it at the end.
    void SetSection(const std::string& section, Values values);
    bool RemoveSection(std::string_view section);
    std::vector<std::string> SectionNames() const;

    // Names and values must stay on one line and names may not hold the
    // characters that end them.
    static bool CanHoldName(std::string_view name);
    static bool CanHoldValue(std::string_view value);

private:
    struct Section {
        std::string name;
        Values values;
    };
    std::vector<Section>::iterator Position(std::string_view section);
    const Section* Find(std::string_view section) const;

    std::vector<Section> sections_;
};

} // namespace kelvo
