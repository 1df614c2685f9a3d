#pragma once

#include <cstdint>

// Multi-byte numbers in both file layouts are little-endian; they are always
// assembled and stored byte by byte, whatever the host's byte order.
namespace le {

constexpr void Store16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr void Store32(std::uint8_t* at, std::uint32_t value) {
    Store16(at, value);
    Store16(at + 2, value >> 16);
}

constexpr std::uint32_t Load32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
           std::uint32_t{at[3]} << 24;
}

}  // namespace le
