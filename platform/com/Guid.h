#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// A 128-bit class, interface or library identifier, laid out as COM lays it out.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    friend constexpr bool operator==(const Guid&, const Guid&) = default;
};

namespace guid_detail {
constexpr int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

constexpr bool ReadHex(std::string_view text, std::size_t position, std::size_t digits,
                       std::uint64_t* value) {
    std::uint64_t result = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const int digit = HexValue(text[position + i]);
        if (digit < 0)
            return false;
        result = result * 16 + static_cast<std::uint64_t>(digit);
    }
    *value = result;
    return true;
}
} // namespace guid_detail

// Reads "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces required, hex digits in
// either case). Usable at compile time for the identifiers written in code.
constexpr std::optional<Guid> ParseGuid(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}' || text[9] != '-' ||
        text[14] != '-' || text[19] != '-' || text[24] != '-')
        return std::nullopt;
    Guid guid;
    std::uint64_t value = 0;
    if (!guid_detail::ReadHex(text, 1, 8, &value))
        return std::nullopt;
    guid.data1 = static_cast<std::uint32_t>(value);
    if (!guid_detail::ReadHex(text, 10, 4, &value))
        return std::nullopt;
    guid.data2 = static_cast<std::uint16_t>(value);
    if (!guid_detail::ReadHex(text, 15, 4, &value))
        return std::nullopt;
    guid.data3 = static_cast<std::uint16_t>(value);
    constexpr std::size_t bytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (std::size_t i = 0; i < 8; ++i) {
        if (!guid_detail::ReadHex(text, bytePositions[i], 2, &value))
            return std::nullopt;
        guid.data4[i] = static_cast<std::uint8_t>(value);
    }
    return guid;
}

// For identifiers written in code: a malformed literal does not compile.
consteval Guid GuidLiteral(std::string_view text) {
    return ParseGuid(text).value();
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, the form the registry keeps.
std::string GuidText(const Guid& guid);

struct GuidHash {
    std::size_t operator()(const Guid& guid) const;
};

} // namespace kelvo
