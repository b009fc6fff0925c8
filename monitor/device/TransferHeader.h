#pragma once

#include <array>
#include <cstdint>

namespace kelvo {

// The 8 payload bytes that open every transfer on a thermometer's command
// interface: a fixed mark, the command byte, the low 8 bits of the transfer
// length, the direction and a zero.
using TransferHeader = std::array<std::uint8_t, 8>;

inline constexpr std::array<std::uint8_t, 4> transferMark{0x0A, 0x0B, 0x0C, 0x0D};

enum class TransferDirection : std::uint8_t {
    read = 1,  // an answer is requested
    write = 2, // data follows
};

inline TransferHeader MakeTransferHeader(std::uint8_t command, int length,
                                         TransferDirection direction) {
    return {transferMark[0],
            transferMark[1],
            transferMark[2],
            transferMark[3],
            command,
            static_cast<std::uint8_t>(length & 0xFF),
            static_cast<std::uint8_t>(direction),
            0};
}

} // namespace kelvo
