#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvo {

// Base64 of RFC 2045 (standard alphabet, "=" pad). Stateless; any thread.
class ZBase64 {
public:
    // Bytes to Base64 broken into lines of 76 characters, each complete line
    // followed by CR LF. Zero bytes are data. A byte string in, a byte string out.
    static std::string Encode(const unsigned char* data, std::ptrdiff_t count);
    static std::string Encode(std::string_view bytes);

    // A zero-terminated text to Base64 on one line.
    static std::string EncodeText(const char* text);

    // Base64 text back to a text: characters outside the alphabet are skipped,
    // and the result ends at the first zero byte decoded.
    static std::string DecodeText(const char* text);
};

} // namespace kelvo
