#include "monitor/mail/ZBase64.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Stored passwords are decoded from whatever the configuration file holds.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = kelvo::ZBase64::DecodeText(text.c_str());
    // Decoding yields at most three bytes for every four characters.
    if (decoded.size() > (size / 4) * 3) {
        __builtin_trap();
    }
    // Whatever decodes must survive a round trip through the encoder.
    const std::string encoded = kelvo::ZBase64::EncodeText(decoded.c_str());
    if (kelvo::ZBase64::DecodeText(encoded.c_str()) != decoded) {
        __builtin_trap();
    }
    return 0;
}
