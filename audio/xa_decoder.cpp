#include "audio/xa_decoder.h"

#include <algorithm>

#include "audio/little_endian.h"
#include "audio/xa_layout.h"
#include "audio/xa_predict.h"
#include "platform/file.h"

namespace {

constexpr std::uint32_t kDataBytesPerBlock = xa::kBlockSize - 1;
// Two frames per data group, one 16-bit sample per channel in each.
constexpr std::uint32_t kBytesPerGroupAndChannel = xa::kSamplesPerDataByte * xa::kBytesPerSample;

// The delta table in 64ths, so that a whole prediction is one integer sum.
constexpr auto kScaledDeltas = [] {
    std::array<std::array<std::int32_t, 16>, 16> scaled{};
    for (int shift = 0; shift < 16; ++shift)
        for (int code = 0; code < 16; ++code)
            scaled[shift][code] = static_cast<std::int32_t>(CXaDecoder::kDeltaTable[shift][code] *
                                                            xa::kCoefficientScale);
    return scaled;
}();

// Decodes `groups` data bytes of each of `Lanes` adjacent channels, starting with
// `first`. Channels are independent, so decoding several side by side lets their
// predictions overlap in the processor. `stream` points at the first channel's
// byte of the first group; `frames` at its sample in the first frame.
template <int Lanes>
void DecodeLanes(XaChannelState* first, const std::uint8_t* stream, std::uint32_t channels,
                 std::uint32_t groups, std::uint8_t* frames) {
    std::int32_t older[Lanes], newer[Lanes];
    std::int64_t k0[Lanes], k1[Lanes];
    const std::int32_t* deltas[Lanes];
    for (int lane = 0; lane < Lanes; ++lane) {
        const XaChannelState& st = first[lane];
        older[lane] = st.historyA;
        newer[lane] = st.historyB;
        k0[lane] = static_cast<std::int64_t>(st.coefficient1 * xa::kCoefficientScale);
        k1[lane] = static_cast<std::int64_t>(st.coefficient2 * xa::kCoefficientScale);
        deltas[lane] = kScaledDeltas[static_cast<std::size_t>(st.shift)].data();
    }
    const std::size_t frameBytes = std::size_t{channels} * xa::kBytesPerSample;
    std::uint8_t last[Lanes] = {};
    for (std::uint32_t group = 0; group < groups; ++group) {
        std::uint8_t* out = frames + 2 * group * frameBytes;
        for (int lane = 0; lane < Lanes; ++lane) {
            const std::uint8_t byte = stream[std::size_t{group} * channels + lane];
            last[lane] = byte;
            // historyA takes the first sample and historyB the second, so at the
            // next byte historyB is again the most recent.
            older[lane] =
                xa::Predict(newer[lane], older[lane], k0[lane], k1[lane], deltas[lane][byte >> 4]);
            newer[lane] =
                xa::Predict(older[lane], newer[lane], k0[lane], k1[lane], deltas[lane][byte & 15]);
            le::Store16(out + lane * xa::kBytesPerSample, static_cast<std::uint32_t>(older[lane]));
            le::Store16(out + frameBytes + lane * xa::kBytesPerSample,
                        static_cast<std::uint32_t>(newer[lane]));
        }
    }
    for (int lane = 0; lane < Lanes; ++lane) {
        XaChannelState& st = first[lane];
        st.historyA = older[lane];
        st.historyB = newer[lane];
        st.highCode = last[lane] >> 4;
        st.lowCode = last[lane] & 15;
        st.byteCount += groups;
    }
}

}  // namespace

CXaDecoder::CXaDecoder() = default;
CXaDecoder::~CXaDecoder() = default;

void CXaDecoder::Init(std::uint32_t channelCount, const std::uint8_t* data,
                      std::uint32_t dataLength, CFile* output) {
    m_nChannels = channelCount;
    m_pStates = std::make_unique<XaChannelState[]>(channelCount);
    m_pFrames = std::make_unique_for_overwrite<std::uint8_t[]>(
        std::size_t{channelCount} * kDataBytesPerBlock * kBytesPerGroupAndChannel);
    m_pData = data;
    m_nDataLength = dataLength;
    m_nPosition = 0;
    m_pOutput = output;
    m_nBytesWritten = 0;
}

bool CXaDecoder::Decode() {
    const std::uint32_t channels = m_nChannels;
    // Without a channel no byte can be consumed: only an empty stream is decoded.
    if (channels == 0) return m_nPosition >= m_nDataLength;

    // A short last group would be missing bytes of its last channels; it is ignored.
    const std::uint32_t end = m_nDataLength - m_nDataLength % channels;
    while (m_nPosition < end) {
        // All channels advance together; only a failed header group leaves the
        // first channels one byte ahead, so the last channel tells where we are.
        const std::uint32_t inBlock = m_pStates[channels - 1].byteCount % xa::kBlockSize;
        if (inBlock == 0) {
            if (!ReadHeaderGroup()) return false;
        } else {
            DecodeDataGroups(std::min(xa::kBlockSize - inBlock, (end - m_nPosition) / channels));
        }
    }
    return true;
}

bool CXaDecoder::ReadHeaderGroup() {
    // Resumes after the channels whose headers were read before a failure.
    for (std::uint32_t channel = m_nPosition % m_nChannels; channel < m_nChannels; ++channel) {
        XaChannelState& st = m_pStates[channel];
        const std::uint8_t header = m_pData[m_nPosition];
        st.filter = header >> 4;
        st.shift = header & 15;
        if (st.filter > xa::kMaxFilter) return false;
        // Filter 4 weighs nothing, like filter 0. The histories carry on across blocks.
        const bool weighted = st.filter < xa::kFilterCount;
        st.coefficient1 = weighted ? K0[static_cast<std::size_t>(st.filter)] : 0.0f;
        st.coefficient2 = weighted ? K1[static_cast<std::size_t>(st.filter)] : 0.0f;
        ++st.byteCount;
        ++m_nPosition;
    }
    return true;
}

void CXaDecoder::DecodeDataGroups(std::uint32_t groups) {
    const std::uint32_t channels = m_nChannels;
    const std::uint8_t* stream = m_pData + m_nPosition;
    std::uint8_t* frames = m_pFrames.get();
    std::uint32_t channel = 0;
    for (; channel + 2 <= channels; channel += 2)
        DecodeLanes<2>(&m_pStates[channel], stream + channel, channels, groups,
                       frames + channel * xa::kBytesPerSample);
    if (channel < channels)
        DecodeLanes<1>(&m_pStates[channel], stream + channel, channels, groups,
                       frames + channel * xa::kBytesPerSample);

    const std::uint32_t bytes = groups * channels * kBytesPerGroupAndChannel;
    m_pOutput->Write(frames, bytes);
    m_nBytesWritten += bytes;
    m_nPosition += groups * channels;
}
