#pragma once

#include <cstdint>

// XA file layout (all numbers little-endian):
//
//   offset  size    content
//   0       8       leading bytes, never examined
//   8       16      wave-format record of the decoded sound, copied to the WAV file
//   10      1       channel count (low byte of the record's channel field)
//   24      L - 24  ADPCM stream: groups of one byte per channel; per channel,
//                   blocks of 15 bytes: a header (filter << 4 | shift) and 14
//                   data bytes of two 4-bit codes each, high nibble first
namespace xa {

inline constexpr std::uint32_t kHeaderSize = 24;
inline constexpr std::uint32_t kWaveFormatOffset = 8;
inline constexpr std::uint32_t kWaveFormatSize = 16;
inline constexpr std::uint32_t kChannelCountOffset = 10;

inline constexpr std::uint32_t kBlockSize = 15;  // one header byte and 14 data bytes
inline constexpr std::uint32_t kSamplesPerDataByte = 2;
inline constexpr std::uint32_t kBytesPerSample = 2;

// The data size a WAV header announces for a stream of `streamLength` bytes:
// 56 bytes of samples for every 15 stream bytes, whatever the channel count.
constexpr std::uint64_t AnnouncedDataSize(std::uint32_t streamLength) {
    return std::uint64_t{streamLength / kBlockSize} * (kBlockSize - 1) * kSamplesPerDataByte *
           kBytesPerSample;
}

// The sample bytes that decoding a valid stream of `streamLength` bytes in
// `channels` channels produces: the stream's whole groups, less their headers.
constexpr std::uint64_t DecodedDataSize(std::uint32_t streamLength, std::uint32_t channels) {
    if (channels == 0) return 0;
    const std::uint64_t groups = streamLength / channels;
    const std::uint64_t headerGroups = (groups + kBlockSize - 1) / kBlockSize;
    return (groups - headerGroups) * channels * kSamplesPerDataByte * kBytesPerSample;
}

}  // namespace xa
