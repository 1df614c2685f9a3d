#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "audio/xa_tables.h"

class CFile;

// Decoding state of one channel. All fields start at zero.
struct XaChannelState {
    std::int32_t filter;      // filter index from the last header byte (high nibble), 0..4
    std::int32_t shift;       // shift from the last header byte (low nibble), 0..15
    std::int32_t historyA;    // the sample before the most recent one
    std::int32_t historyB;    // the most recent sample
    std::int32_t highCode;    // high nibble of the last data byte
    std::int32_t lowCode;     // low nibble of the last data byte
    float coefficient1;       // weight of historyB: K0[filter]
    float coefficient2;       // weight of historyA: K1[filter]
    std::uint32_t byteCount;  // this channel's stream bytes consumed so far
};

// Decodes an XA ADPCM stream (see xa_layout.h) into 16-bit little-endian
// samples, written to the output as soon as they are decoded.
class CXaDecoder {
public:
    static constexpr std::array<float, xa::kFilterCount> K0 = xa::ScaleDown(xa::kK0Scaled);
    static constexpr std::array<float, xa::kFilterCount> K1 = xa::ScaleDown(xa::kK1Scaled);
    static constexpr xa::DeltaTable kDeltaTable = xa::MakeDeltaTable();

    CXaDecoder();
    virtual ~CXaDecoder();
    CXaDecoder(const CXaDecoder&) = delete;
    CXaDecoder& operator=(const CXaDecoder&) = delete;

    // Binds the decoder to a stream (borrowed) and an open output (borrowed),
    // with fresh channel states, at the start of the stream.
    void Init(std::uint32_t channelCount, const std::uint8_t* data, std::uint32_t dataLength,
              CFile* output);

    // Decodes the rest of the stream. False when a header names a filter above 4
    // (everything decoded before it has been written) or when there are no
    // channels to carry the data. Bytes after the last whole group are ignored.
    // A failed write throws from the output.
    bool Decode();

    std::uint64_t GetBytesWritten() const { return m_nBytesWritten; }
    const XaChannelState& GetChannelState(std::uint32_t channel) const {
        return m_pStates[channel];
    }

private:
    bool ReadHeaderGroup();
    void DecodeDataGroups(std::uint32_t groups);

    std::unique_ptr<XaChannelState[]> m_pStates;
    std::uint32_t m_nChannels = 0;
    const std::uint8_t* m_pData = nullptr;
    std::uint32_t m_nDataLength = 0;
    std::uint32_t m_nPosition = 0;  // index of the next stream byte
    CFile* m_pOutput = nullptr;
    std::unique_ptr<std::uint8_t[]> m_pFrames;  // the frames of up to one block of data groups
    std::uint64_t m_nBytesWritten = 0;
};
