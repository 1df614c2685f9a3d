#pragma once

#include <cstdint>

// The 44-byte header of the WAV files we write (all numbers little-endian):
//
//   offset  size  content
//   0       4     "RIFF"
//   4       4     RIFF size = data size + 36
//   8       8     "WAVEfmt "
//   16      4     fmt chunk size = 16
//   20      16    wave-format record, as found in the XA file
//   36      4     "data"
//   40      4     data size
//   44      ...   16-bit samples, interleaved by frame
namespace wav {

inline constexpr std::uint32_t kHeaderSize = 44;
inline constexpr std::uint32_t kRiffSizeOffset = 4;
inline constexpr std::uint32_t kDataSizeOffset = 40;
inline constexpr std::uint32_t kRiffSizeOverData = kHeaderSize - 8;  // 36
inline constexpr std::uint32_t kFormatChunkSize = 16;

// The largest data size whose RIFF size still fits 32 bits.
inline constexpr std::uint64_t kMaxDataSize = UINT32_MAX - kRiffSizeOverData;

}  // namespace wav
