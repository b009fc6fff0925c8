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

void AppendGroup(std::string& out, unsigned b0, unsigned b1, unsigned b2) {
    out += alphabet[b0 >> 2];
    out += alphabet[((b0 & 3) << 4) | (b1 >> 4)];
    out += alphabet[((b1 & 15) << 2) | (b2 >> 6)];
    out += alphabet[b2 & 63];
}

void AppendRemainder(std::string& out, const unsigned char* rest, std::size_t count) {
    if (count == 1) {
        out += alphabet[rest[0] >> 2];
        out += alphabet[(rest[0] & 3) << 4];
        out += "==";
    } else if (count == 2) {
        out += alphabet[rest[0] >> 2];
        out += alphabet[((rest[0] & 3) << 4) | (rest[1] >> 4)];
        out += alphabet[(rest[1] & 15) << 2];
        out += '=';
    }
}

// Encodes without line breaks, or with CR LF after every 76 characters.
std::string EncodeBytes(const unsigned char* data, std::size_t count, bool breakLines) {
    std::string out;
    const std::size_t groups = count / 3;
    out.reserve((groups + 1) * 4 + (breakLines ? (groups / 19 + 1) * 2 : 0));
    int column = 0;
    for (std::size_t group = 0; group < groups; ++group) {
        const unsigned char* bytes = data + group * 3;
        AppendGroup(out, bytes[0], bytes[1], bytes[2]);
        column += 4;
        if (breakLines && column == 76) {
            out += "\r\n";
            column = 0;
        }
    }
    AppendRemainder(out, data + groups * 3, count % 3);
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

    std::size_t out = 0;
    bool complete = true;
    for (long group = 0; group < produce / 3 && complete; ++group) {
        std::uint32_t value = 0;
        for (int index = 0; index < 4; ++index) {
            std::uint8_t sextet = 0;
            if (!nextValue(sextet)) {
                complete = false;
                break;
            }
            value = (value << 6) | sextet;
        }
        if (!complete) {
            break;
        }
        decoded[out++] = static_cast<char>((value >> 16) & 0xFF);
        decoded[out++] = static_cast<char>((value >> 8) & 0xFF);
        decoded[out++] = static_cast<char>(value & 0xFF);
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
                decoded[out++] = static_cast<char>((value >> 4) & 0xFF);
            } else {
                value >>= 2;
                decoded[out++] = static_cast<char>((value >> 8) & 0xFF);
                decoded[out++] = static_cast<char>(value & 0xFF);
            }
        }
    }

    decoded.resize(std::strlen(decoded.c_str()));
    return decoded;
}

} // namespace kelvo
