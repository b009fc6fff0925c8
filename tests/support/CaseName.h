#pragma once

#include <string>
#include <string_view>

namespace kelvo::testing {

// A parameterised case's name, made from the text that sets the case apart,
// so that the case is listed under the same readable name in every build.
// Letters and digits stay, blanks and the punctuation of prose (, . : ; -)
// become "_", and every other byte becomes "_" and its two hexadecimal digits
// ("Unit=c" is "Unit_3Dc"); the empty text is "empty". A name shared by two
// cases makes the test program refuse to run.
inline std::string CaseName(std::string_view text) {
    if (text.empty()) {
        return "empty";
    }
    constexpr char digits[] = "0123456789ABCDEF";
    std::string name;
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= 'a' && byte <= 'z')) {
            name += character;
        } else if (std::string_view(" ,.:;-").find(character) != std::string_view::npos) {
            name += '_';
        } else {
            name += '_';
            name += digits[byte >> 4];
            name += digits[byte & 0x0F];
        }
    }
    return name;
}

} // namespace kelvo::testing
