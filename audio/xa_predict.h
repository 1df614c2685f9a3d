#pragma once

#include <cstdint>

namespace xa {

// One decoded sample: newer x K0 + older x K1 + delta, rounded to the nearest
// integer, ties to the even one, keeping the low 32 bits of the result.
//
// The weights k0 and k1 and `scaledDelta` are given in 64ths. Every table value
// is a multiple of 1/64, so the sum is exactly `scaled` / 64 and the rounding
// can be done on integers: adding 31, and 1 more when the quotient's lowest bit
// is set, turns the floor division by 64 into rounding half to even. This gives
// the same sample as forming the sum in double precision and rounding it there.
constexpr std::int32_t Predict(std::int32_t newer, std::int32_t older, std::int64_t k0,
                               std::int64_t k1, std::int32_t scaledDelta) {
    const std::int64_t scaled = newer * k0 + older * k1 + scaledDelta;
    return static_cast<std::int32_t>((scaled + 31 + ((scaled >> 6) & 1)) >> 6);
}

}  // namespace xa
