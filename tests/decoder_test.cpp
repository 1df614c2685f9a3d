#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "audio/xa_decoder.h"
#include "memory_file.h"
#include "xa_files.h"
#include "xa_model.h"

namespace {

struct Decoded {
    bool ok;
    Bytes samples;
};

Decoded Decode(const Bytes& stream, std::uint32_t channels) {
    CMemoryFile output;
    CXaDecoder decoder;
    decoder.Init(channels, stream.data(), static_cast<std::uint32_t>(stream.size()), &output);
    const bool ok = decoder.Decode();
    EXPECT_EQ(decoder.GetBytesWritten(), output.Bytes().size());
    return {ok, output.Bytes()};
}

Bytes Tail(const Bytes& bytes, std::size_t count) {
    return Bytes(bytes.end() - static_cast<std::ptrdiff_t>(std::min(count, bytes.size())),
                 bytes.end());
}

struct Example {
    std::string name;
    std::uint32_t channels;
    Bytes stream;
    bool ok;
    std::size_t size;  // bytes of samples written
    Bytes tail;        // the last bytes written
};

}  // namespace

TEST(XaDecoder, WorkedExamples) {
    const Example examples[] = {
        {"filter 0 shift 12 codes 1 and 15", 1, {0x0C, 0x1F}, true, 4, {0x01, 0x00, 0xFF, 0xFF}},
        // Histories 1 and -1 carry into a filter-1 block: 28672 - 0.9375 -> 28671,
        // then 28671 x 0.9375 + 28672 = 55551.0625 -> 55551, written as its low 16 bits.
        {"prediction carries across blocks",
         1,
         Join({{0x0C}, Repeat(0x00, 13), {0x1F, 0x10, 0x77}}),
         true,
         60,
         {0xFF, 0x6F, 0xFF, 0xD8}},
        // A first block at full scale leaves both histories at 28672.
        {"filter 4 weighs nothing",
         1,
         Join({{0x00}, Repeat(0x77, 14), {0x4C, 0x78}}),
         true,
         60,
         {0x07, 0x00, 0xF8, 0xFF}},
        // Shift 13 silences the codes: 28672 x 0.9375 = 26880, then x 0.9375 = 25200.
        {"shift 13 decays from the histories",
         1,
         Join({{0x00}, Repeat(0x77, 14), {0x1D, 0x77}}),
         true,
         60,
         {0x00, 0x69, 0x70, 0x62}},
        {"two channels interleave by frame",
         2,
         {0x0C, 0x0C, 0x12, 0x34},
         true,
         8,
         {0x01, 0x00, 0x03, 0x00, 0x02, 0x00, 0x04, 0x00}},
        {"filter 5 in the first header", 1, {0x5C, 0x11}, false, 0, {}},
        {"filter 15 on the last byte after a block",
         1,
         Join({{0x0C}, Repeat(0x11, 14), {0xFC}}),
         false,
         56,
         {0x01, 0x00, 0x01, 0x00}},
        {"second channel's bad header", 2, {0x0C, 0x5C, 0x11, 0x11}, false, 0, {}},
        {"short block at the end",
         1,
         Join({{0x0C}, Repeat(0x11, 14), {0x0C}, Repeat(0x11, 13)}),
         true,
         108,
         {0x01, 0x00, 0x01, 0x00}},
        // The last group misses channel 2's byte, and channel 1's is not read either.
        {"short last group ignored",
         3,
         {0x0C, 0x0C, 0x0C, 0x11, 0x22, 0x33, 0x44, 0x55},
         true,
         12,
         {0x01, 0x00, 0x02, 0x00, 0x03, 0x00}},
        {"a lone header yields nothing", 1, {0x0C}, true, 0, {}},
        {"empty stream", 1, {}, true, 0, {}},
        {"no channels, no data", 0, {}, true, 0, {}},
        {"no channels cannot carry data", 0, {0x0C, 0x11}, false, 0, {}},
    };
    for (const Example& example : examples) {
        SCOPED_TRACE(example.name);
        const Decoded decoded = Decode(example.stream, example.channels);
        EXPECT_EQ(decoded.ok, example.ok);
        EXPECT_EQ(decoded.samples.size(), example.size);
        EXPECT_EQ(Tail(decoded.samples, example.tail.size()), example.tail);
    }
}

TEST(XaDecoder, BadHeaderInSecondChannelConsumesTheFirstOnly) {
    // A full block in each channel, then a valid header for channel 0 and a bad one for channel 1.
    const Bytes blocks = Join({{0x0C, 0x0C}, Repeat(0x11, 28), {0x3A, 0x7B}});
    CMemoryFile output;
    CXaDecoder decoder;
    decoder.Init(2, blocks.data(), static_cast<std::uint32_t>(blocks.size()), &output);
    EXPECT_FALSE(decoder.Decode());
    EXPECT_EQ(output.Bytes().size(), 14u * 8u);
    EXPECT_EQ(decoder.GetChannelState(0).byteCount, 16u);
    EXPECT_EQ(decoder.GetChannelState(0).filter, 3);
    EXPECT_EQ(decoder.GetChannelState(0).shift, 10);
    EXPECT_EQ(decoder.GetChannelState(1).byteCount, 15u);
    EXPECT_EQ(decoder.GetChannelState(1).filter, 7);
    // Asked again, it stops at the same header and writes nothing more.
    EXPECT_FALSE(decoder.Decode());
    EXPECT_EQ(output.Bytes().size(), 14u * 8u);
}

TEST(XaDecoder, InitStartsAfresh) {
    const Bytes stream = Join({{0x2C}, Repeat(0x73, 14), {0x3B}, Repeat(0x9E, 14)});
    CMemoryFile first, second;
    CXaDecoder decoder;
    decoder.Init(1, stream.data(), static_cast<std::uint32_t>(stream.size()), &first);
    ASSERT_TRUE(decoder.Decode());
    decoder.Init(1, stream.data(), static_cast<std::uint32_t>(stream.size()), &second);
    ASSERT_TRUE(decoder.Decode());
    EXPECT_EQ(first.Bytes(), second.Bytes());
}

// Streams of every shape against the model: random channel counts and lengths,
// every filter and shift, now and then an invalid header.
TEST(XaDecoder, MatchesTheModelOnRandomStreams) {
    std::mt19937 random(1211);
    for (int round = 0; round < RandomCases(3000); ++round) {
        const auto channels =
            static_cast<std::uint32_t>(round % 10 == 0 ? 1 + random() % 255 : 1 + random() % 8);
        const std::size_t groups = random() % (round % 7 == 0 ? 2000 : 80);
        Bytes stream(groups * channels + random() % channels);
        for (auto& byte : stream) byte = static_cast<std::uint8_t>(random());
        // Mostly valid filters (0 to 4), so that decoding goes on long enough.
        const bool allowInvalid = round % 5 == 0;
        for (std::size_t group = 0; group < groups; group += 15)
            for (std::uint32_t c = 0; c < channels; ++c) {
                std::uint8_t& header = stream[group * channels + c];
                if (!allowInvalid || random() % 50 != 0)
                    header = static_cast<std::uint8_t>((random() % 5) << 4 | (header & 15));
            }
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << channels << " channels, "
                                        << stream.size() << " bytes");
        const Decoded decoded = Decode(stream, channels);
        const ModelOutput expected = ModelDecode(stream, channels);
        ASSERT_EQ(decoded.ok, expected.decoded);
        ASSERT_EQ(decoded.samples, expected.samples);
    }
}

// The largest histories come from the two strong filters driven the same way at
// full scale for a long time; they must stay exact.
TEST(XaDecoder, MatchesTheModelAtFullScale) {
    for (int header : {0x20, 0x30}) {
        for (int code : {0x77, 0x88, 0x78, 0x87, 0x70, 0x08}) {
            Bytes stream;
            for (int block = 0; block < 400; ++block) {
                stream.push_back(static_cast<std::uint8_t>(header));
                stream.insert(stream.end(), 14, static_cast<std::uint8_t>(code));
            }
            SCOPED_TRACE(testing::Message() << std::hex << header << " " << code);
            const Decoded decoded = Decode(stream, 1);
            ASSERT_TRUE(decoded.ok);
            ASSERT_EQ(decoded.samples, ModelDecode(stream, 1).samples);
        }
    }
}
