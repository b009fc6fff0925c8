#pragma once

#include <cstddef>
#include <string>

namespace kelvo::test {

// File contents that run through every byte value, zero included; a different
// seed gives different bytes.
inline std::string MailTestBytes(std::size_t size, unsigned seed = 0) {
    std::string bytes(size, '\0');
    for (std::size_t index = 0; index < size; ++index) {
        bytes[index] = static_cast<char>((index * 7 + index / 256 + seed) & 0xFF);
    }
    return bytes;
}

} // namespace kelvo::test
