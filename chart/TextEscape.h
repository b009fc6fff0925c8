#pragma once

#include <string>
#include <string_view>

namespace kelvo {

// Texts that may hold line breaks travel in line-based formats with "\\", "\r"
// and "\n" written as two characters each.
inline std::string EscapeText(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '\r')
            escaped += "\\r";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

// False for a backslash that starts no known pair.
inline bool UnescapeText(std::string_view text, std::string* result) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
            continue;
        }
        if (++i == text.size())
            return false;
        if (text[i] == '\\')
            plain += '\\';
        else if (text[i] == 'r')
            plain += '\r';
        else if (text[i] == 'n')
            plain += '\n';
        else
            return false;
    }
    *result = std::move(plain);
    return true;
}

} // namespace kelvo
