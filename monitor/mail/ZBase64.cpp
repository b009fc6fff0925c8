#include "monitor/mail/ZBase64.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <cstring>

namespace kelvo {
namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t notInAlphabet = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeDecodingTable() {
    std::array<std::uint8_t, 256> table{};
    for (auto& entry : table) {
        entry = notInAlphabet;
    }
    for (std::uint8_t index = 0; index < 64; ++index) {
        table[static_cast<unsigned char>(alphabet[index])] = index;
    }
    return table;
}

constexpr auto decodingTable = MakeDecodingTable();

// Twelve input bits to their two output characters at once: half as many
// look-ups as one character at a time.
constexpr std::array<std::array<char, 2>, 4096> MakePairTable() {
    std::array<std::array<char, 2>, 4096> table{};
    for (std::size_t bits = 0; bits < 4096; ++bits) {
        table[bits] = {alphabet[bits >> 6], alphabet[bits & 63]};
    }
    return table;
}

constexpr auto pairTable = MakePairTable();

// The four characters of a group, each character's six bits already at its
// place in the 24-bit value; a character outside the alphabet sets bit 24.
constexpr std::uint32_t notInGroup = 1u << 24;

constexpr std::array<std::uint32_t, 256> MakeShiftedTable(int shift) {
    std::array<std::uint32_t, 256> table{};
    for (std::size_t byte = 0; byte < 256; ++byte) {
        const std::uint8_t value = decodingTable[byte];
        table[byte] = value == notInAlphabet ? notInGroup : std::uint32_t{value} << shift;
    }
    return table;
}

constexpr auto firstOfGroup = MakeShiftedTable(18);
constexpr auto secondOfGroup = MakeShiftedTable(12);
constexpr auto thirdOfGroup = MakeShiftedTable(6);
constexpr auto fourthOfGroup = MakeShiftedTable(0);

char* WriteGroup(char* out, const unsigned char* bytes) {
    const std::uint32_t value =
        (std::uint32_t{bytes[0]} << 16) | (std::uint32_t{bytes[1]} << 8) | std::uint32_t{bytes[2]};
    std::memcpy(out, pairTable[value >> 12].data(), 2);
    std::memcpy(out + 2, pairTable[value & 0xFFF].data(), 2);
    return out + 4;
}

char* WriteRemainder(char* out, const unsigned char* rest, std::size_t count) {
    if (count == 1) {
        *out++ = alphabet[rest[0] >> 2];
        *out++ = alphabet[(rest[0] & 3) << 4];
        *out++ = '=';
        *out++ = '=';
    } else if (count == 2) {
        *out++ = alphabet[rest[0] >> 2];
        *out++ = alphabet[((rest[0] & 3) << 4) | (rest[1] >> 4)];
        *out++ = alphabet[(rest[1] & 15) << 2];
        *out++ = '=';
    }
    return out;
}

constexpr std::size_t groupsPerLine = 19; // 76 characters

// Encodes without line breaks, or with CR LF after every 76 characters. The
// output's size is known beforehand, so it is written in place.
std::string EncodeBytes(const unsigned char* data, std::size_t count, bool breakLines) {
    const std::size_t groups = count / 3;
    const std::size_t lineBreaks = breakLines ? groups / groupsPerLine : 0;
    std::string out(groups * 4 + lineBreaks * 2 + (count % 3 != 0 ? 4 : 0), '\0');
    char* next = out.data();
    const unsigned char* bytes = data;
    for (std::size_t line = 0; line < lineBreaks; ++line) {
        for (std::size_t group = 0; group < groupsPerLine; ++group, bytes += 3) {
            next = WriteGroup(next, bytes);
        }
        *next++ = '\r';
        *next++ = '\n';
    }
    for (const unsigned char* end = data + groups * 3; bytes < end; bytes += 3) {
        next = WriteGroup(next, bytes);
    }
    WriteRemainder(next, bytes, count % 3);
    return out;
}

} // namespace

std::string ZBase64::Encode(const unsigned char* data, std::ptrdiff_t count) {
    if (count <= 0) {
        return {};
    }
    return EncodeBytes(data, static_cast<std::size_t>(count), true);
}

std::string ZBase64::Encode(std::string_view bytes) {
    return Encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                  static_cast<std::ptrdiff_t>(bytes.size()));
}

std::string ZBase64::EncodeText(const char* text) {
    assert(text != nullptr);
    return EncodeBytes(reinterpret_cast<const unsigned char*>(text), std::strlen(text), false);
}

std::string ZBase64::DecodeText(const char* text) {
    assert(text != nullptr);
    const std::size_t length = std::strlen(text);
    long produce = static_cast<long>(length / 4) * 3;
    if (length >= 1 && text[length - 1] == '=') {
        --produce;
    }
    if (length >= 2 && text[length - 2] == '=') {
        --produce;
    }
    if (produce <= 0) {
        return {};
    }

    // Bytes that decoding cannot fill stay zero, so the result ends there.
    std::string decoded(static_cast<std::size_t>(produce), '\0');
    std::size_t position = 0;
    auto nextValue = [&](std::uint8_t& value) {
        while (position < length) {
            const std::uint8_t entry = decodingTable[static_cast<unsigned char>(text[position++])];
            if (entry != notInAlphabet) {
                value = entry;
                return true;
            }
        }
        return false;
    };

    char* out = decoded.data();
    auto emitGroup = [&out](std::uint32_t value) {
        out[0] = static_cast<char>((value >> 16) & 0xFF);
        out[1] = static_cast<char>((value >> 8) & 0xFF);
        out[2] = static_cast<char>(value & 0xFF);
        out += 3;
    };
    bool complete = true;
    for (long group = 0; group < produce / 3; ++group) {
        // Most groups are four alphabet characters in a row: joined at once.
        if (position + 4 <= length) {
            const auto* next = reinterpret_cast<const unsigned char*>(text + position);
            const std::uint32_t joined = firstOfGroup[next[0]] | secondOfGroup[next[1]] |
                                         thirdOfGroup[next[2]] | fourthOfGroup[next[3]];
            if ((joined & notInGroup) == 0) {
                emitGroup(joined);
                position += 4;
                continue;
            }
        }
        std::uint32_t value = 0;
        for (int index = 0; index < 4 && complete; ++index) {
            std::uint8_t sextet = 0;
            complete = nextValue(sextet);
            value = (value << 6) | sextet;
        }
        if (!complete) {
            break;
        }
        emitGroup(value);
    }

    const long remainder = produce % 3;
    if (complete && remainder != 0) {
        // The remainder takes the next two or three characters as they come: one
        // outside the alphabet is used up without a replacement.
        const int take = remainder == 1 ? 2 : 3;
        std::uint32_t value = 0;
        int taken = 0;
        for (; taken < take && position < length; ++taken) {
            const std::uint8_t entry = decodingTable[static_cast<unsigned char>(text[position++])];
            if (entry != notInAlphabet) {
                value = (value << 6) | entry;
            }
        }
        if (taken == take) {
            if (remainder == 1) {
                out[0] = static_cast<char>((value >> 4) & 0xFF);
            } else {
                value >>= 2;
                out[0] = static_cast<char>((value >> 8) & 0xFF);
                out[1] = static_cast<char>(value & 0xFF);
            }
        }
    }

    decoded.resize(std::strlen(decoded.c_str()));
    return decoded;
}

} // namespace kelvo
