#pragma once

#include <string_view>

namespace kelvo {

// The text without leading and trailing blanks, tabs and carriage returns: the
// line-based formats of the component layer and its controls ignore them.
constexpr std::string_view TrimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace kelvo
