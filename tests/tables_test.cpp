// The decoder's tables are computed from their formulas; these are the values
// they must come to.
#include <gtest/gtest.h>

#include <array>

#include "audio/xa_decoder.h"

TEST(DecoderTables, CoefficientsAreTheFourFilterPairs) {
    EXPECT_EQ(CXaDecoder::K0, (std::array<float, 4>{0.0f, 0.9375f, 1.796875f, 1.53125f}));
    EXPECT_EQ(CXaDecoder::K1, (std::array<float, 4>{0.0f, 0.0f, -0.8125f, -0.859375f}));
}

TEST(DecoderTables, DeltaRowsScaleTheSignedCode) {
    const std::array<float, 16> row0 = {0,      4096,   8192,   12288,  16384,  20480,
                                        24576,  28672,  -32768, -28672, -24576, -20480,
                                        -16384, -12288, -8192,  -4096};
    const std::array<float, 16> row12 = {0, 1, 2, 3, 4, 5, 6, 7, -8, -7, -6, -5, -4, -3, -2, -1};
    const std::array<float, 16> zeros{};
    EXPECT_EQ(CXaDecoder::kDeltaTable[0], row0);
    EXPECT_EQ(CXaDecoder::kDeltaTable[12], row12);
    for (int shift = 13; shift < 16; ++shift)
        EXPECT_EQ(CXaDecoder::kDeltaTable[shift], zeros) << shift;
    // Each row between halves the one before it.
    for (int shift = 1; shift <= 12; ++shift)
        for (int code = 0; code < 16; ++code)
            EXPECT_EQ(CXaDecoder::kDeltaTable[shift][code] * 2,
                      CXaDecoder::kDeltaTable[shift - 1][code])
                << "shift " << shift << " code " << code;
}
