#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// A plain reading of the decoding rules, kept independent of the decoder: sums
// in double precision, rounded by the hardware's default round-half-to-even,
// coefficients written out as the listed decimals, one byte at a time.
struct ModelOutput {
    std::vector<std::uint8_t> samples;  // 16-bit little-endian, interleaved by frame
    bool decoded;                       // false: a header with a filter above 4
};

inline std::int32_t ModelRound(double sum) {
    // The low 32 bits of the nearest integer, as a 32-bit conversion keeps them.
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::int64_t>(std::nearbyint(sum))));
}

inline double ModelDelta(int shift, int code) {
    if (shift > 12) return 0.0;
    return std::ldexp(code < 8 ? code : code - 16, 12 - shift);
}

inline ModelOutput ModelDecode(const std::vector<std::uint8_t>& stream, unsigned channels) {
    static constexpr double kNewer[] = {0.0, 0.9375, 1.796875, 1.53125, 0.0};
    static constexpr double kOlder[] = {0.0, 0.0, -0.8125, -0.859375, 0.0};
    struct Channel {
        int filter = 0, shift = 0;
        std::int32_t older = 0, newer = 0;
        unsigned count = 0;
    };
    ModelOutput out{{}, channels > 0 || stream.empty()};
    if (channels == 0) return out;
    std::vector<Channel> state(channels);
    auto put = [&](std::int32_t sample) {
        out.samples.push_back(static_cast<std::uint8_t>(sample & 0xFF));
        out.samples.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
    };
    for (std::size_t pos = 0; pos + channels <= stream.size();) {
        std::vector<std::int32_t> first, second;
        for (unsigned c = 0; c < channels; ++c, ++pos) {
            Channel& ch = state[c];
            const int byte = stream[pos];
            if (ch.count++ % 15 == 0) {
                ch.filter = byte >> 4;
                ch.shift = byte & 15;
                if (ch.filter > 4) {
                    out.decoded = false;
                    return out;
                }
                continue;
            }
            const double k0 = kNewer[ch.filter], k1 = kOlder[ch.filter];
            ch.older = ModelRound(ch.newer * k0 + ch.older * k1 + ModelDelta(ch.shift, byte >> 4));
            ch.newer = ModelRound(ch.older * k0 + ch.newer * k1 + ModelDelta(ch.shift, byte & 15));
            first.push_back(ch.older);
            second.push_back(ch.newer);
        }
        for (std::int32_t s : first) put(s);
        for (std::int32_t s : second) put(s);
    }
    return out;
}
