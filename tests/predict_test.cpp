// The decoder rounds in integer arithmetic; it must agree with rounding the
// double-precision sum to nearest, ties to even, for every input it can meet.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "audio/xa_predict.h"
#include "xa_files.h"
#include "xa_model.h"

namespace {

constexpr int kK0[] = {0, 60, 115, 98};
constexpr int kK1[] = {0, 0, -52, -55};

std::int32_t DoublePredict(std::int32_t newer, std::int32_t older, int filter,
                           std::int32_t scaledDelta) {
    return ModelRound(newer * (kK0[filter] / 64.0) + older * (kK1[filter] / 64.0) +
                      scaledDelta / 64.0);
}

struct PredictCase {
    std::int32_t newer, older;
    int filter;
    std::int32_t scaledDelta;
    std::int32_t expected;
};

}  // namespace

TEST(Predict, RoundsHalfToEven) {
    const PredictCase cases[] = {
        // 1 x 60/64 = 0.9375 exactly, no tie.
        {1, 0, 1, 0, 1},
        // Ties: 8 x 60/64 = 7.5 -> 8, 24 x 60/64 = 22.5 -> 22, and their negatives.
        {8, 0, 1, 0, 8},
        {24, 0, 1, 0, 22},
        {-8, 0, 1, 0, -8},
        {-24, 0, 1, 0, -22},
        // 57.5 -> 58, 58.5 -> 58, -57.5 -> -58 (deltas of 57.5 x 64 and so on).
        {0, 0, 0, 3680, 58},
        {0, 0, 0, 3744, 58},
        {0, 0, 0, -3680, -58},
        // Just either side of a tie.
        {0, 0, 0, 3679, 57},
        {0, 0, 0, 3681, 58},
        // The worked example: 28672 - 0.9375 and 28671 x 0.9375 + 28672.
        {-1, 1, 1, 28672 * 64, 28671},
        {28671, -1, 1, 28672 * 64, 55551},
        // Filter 2 with both histories: 100 x 115/64 - 50 x 52/64 = 179.6875 - 40.625.
        {100, 50, 2, 0, 139},
    };
    for (const PredictCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.newer << ", " << c.older << ", filter " << c.filter
                                        << ", " << c.scaledDelta);
        EXPECT_EQ(xa::Predict(c.newer, c.older, kK0[c.filter], kK1[c.filter], c.scaledDelta),
                  c.expected);
        EXPECT_EQ(DoublePredict(c.newer, c.older, c.filter, c.scaledDelta), c.expected);
    }
}

TEST(Predict, AgreesWithDoubleRoundingAtTheExtremes) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    // Histories of a real stream stay far below 1.5e8, but the rounding must hold
    // over the whole 32-bit range, where results wrap as a 32-bit conversion would.
    const std::int32_t histories[] = {kMin, kMin + 1, -150'000'000, -32769,      -32768,   -1,  0,
                                      1,    32767,    32768,        150'000'000, kMax - 1, kMax};
    const std::int32_t deltas[] = {-32768 * 64, -64, -32, -1, 0, 1, 32, 64, 28672 * 64};
    for (int filter = 0; filter < 4; ++filter)
        for (std::int32_t newer : histories)
            for (std::int32_t older : histories)
                for (std::int32_t delta : deltas)
                    ASSERT_EQ(xa::Predict(newer, older, kK0[filter], kK1[filter], delta),
                              DoublePredict(newer, older, filter, delta))
                        << newer << ", " << older << ", filter " << filter << ", " << delta;
}

TEST(Predict, AgreesWithDoubleRoundingOnRandomInputs) {
    std::mt19937 random(20261211);
    std::uniform_int_distribution<std::int32_t> wide(-150'000'000, 150'000'000);
    std::uniform_int_distribution<std::int32_t> narrow(-70'000, 70'000);
    std::uniform_int_distribution<int> filter(0, 3), shift(0, 15), code(0, 15);
    for (int i = 0; i < RandomCases(2'000'000); ++i) {
        auto& histories = (i & 1) ? wide : narrow;
        const std::int32_t newer = histories(random), older = histories(random);
        const int f = filter(random), s = shift(random), n = code(random);
        const auto delta = static_cast<std::int32_t>(ModelDelta(s, n) * 64);
        ASSERT_EQ(xa::Predict(newer, older, kK0[f], kK1[f], delta),
                  DoublePredict(newer, older, f, delta))
            << newer << ", " << older << ", filter " << f << ", shift " << s << ", code " << n;
    }
}
