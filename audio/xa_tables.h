#pragma once

#include <array>
#include <cstdint>

// The decoder's fixed tables. The filters weigh the two previous samples in
// 64ths; the delta table scales a signed 4-bit code by a power of two.
namespace xa {

inline constexpr int kFilterCount = 4;  // filter 4 is valid too, but weighs nothing
inline constexpr int kMaxFilter = 4;
inline constexpr int kCoefficientScale = 64;

// Weight of the most recent sample and of the one before it, in 64ths.
inline constexpr std::array<int, kFilterCount> kK0Scaled = {0, 60, 115, 98};
inline constexpr std::array<int, kFilterCount> kK1Scaled = {0, 0, -52, -55};

constexpr std::array<float, kFilterCount> ScaleDown(const std::array<int, kFilterCount>& scaled) {
    std::array<float, kFilterCount> result{};
    for (int i = 0; i < kFilterCount; ++i)
        result[i] = static_cast<float>(scaled[i]) / kCoefficientScale;
    return result;
}

using DeltaTable = std::array<std::array<float, 16>, 16>;

// Row s, column n: the code n read as a signed 4-bit number, times 2^(12 - s);
// shifts 13 to 15 silence the code.
constexpr DeltaTable MakeDeltaTable() {
    DeltaTable table{};
    for (int shift = 0; shift <= 12; ++shift)
        for (int code = 0; code < 16; ++code) {
            const int signedCode = code < 8 ? code : code - 16;
            table[shift][code] = static_cast<float>(signedCode * (1 << (12 - shift)));
        }
    return table;
}

}  // namespace xa
