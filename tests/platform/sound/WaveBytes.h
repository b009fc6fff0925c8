#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo::testing {

// The samples as 16-bit little-endian bytes: what a device given them plays.
inline std::string SampleBytes(const std::vector<std::int16_t>& samples) {
    std::string bytes;
    for (std::int16_t sample : samples) {
        const auto value = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<char>(value & 0xFF));
        bytes.push_back(static_cast<char>(value >> 8));
    }
    return bytes;
}

// A 16-bit PCM wave file holding the samples, interleaved by channel.
inline std::string WaveFile(int channels, int rate, const std::vector<std::int16_t>& samples) {
    auto little = [](std::uint32_t value, int size) {
        std::string bytes;
        for (int i = 0; i < size; ++i) {
            bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
        }
        return bytes;
    };
    const std::string data = SampleBytes(samples);
    const auto blockAlign = static_cast<std::uint32_t>(channels * 2);
    std::string format = little(1, 2) + little(static_cast<std::uint32_t>(channels), 2) +
                         little(static_cast<std::uint32_t>(rate), 4) +
                         little(static_cast<std::uint32_t>(rate) * blockAlign, 4) +
                         little(blockAlign, 2) + little(16, 2);
    std::string chunks = "WAVE" + std::string("fmt ") + little(16, 4) + format + "data" +
                         little(static_cast<std::uint32_t>(data.size()), 4) + data;
    return "RIFF" + little(static_cast<std::uint32_t>(chunks.size()), 4) + chunks;
}

} // namespace kelvo::testing
