#include "audio/convert.h"

#include <cstdint>

#include "audio/little_endian.h"
#include "audio/wav_layout.h"
#include "audio/xa_decoder.h"
#include "audio/xa_layout.h"
#include "platform/file.h"
#include "platform/image_buffer.h"

namespace {

bool Fail(const ReportFn& report) {
    report(kErrorMessage);
    return false;
}

void WriteU32(CFile& file, std::uint32_t value) {
    std::uint8_t bytes[4];
    le::Store32(bytes, value);
    file.Write(bytes, sizeof bytes);
}

void WriteWavHeader(CFile& output, std::uint32_t dataSize, const std::uint8_t* waveFormat) {
    output.Write("RIFF", 4);
    WriteU32(output, dataSize + wav::kRiffSizeOverData);
    output.Write("WAVEfmt ", 8);
    WriteU32(output, wav::kFormatChunkSize);
    output.Write(waveFormat, xa::kWaveFormatSize);
    output.Write("data", 4);
    WriteU32(output, dataSize);
}

// Makes the header announce `dataSize` bytes of samples instead of the size
// estimated from the input's length.
void ReviseWavSizes(CFile& output, std::uint32_t dataSize) {
    output.Seek(wav::kRiffSizeOffset);
    WriteU32(output, dataSize + wav::kRiffSizeOverData);
    output.Seek(wav::kDataSizeOffset);
    WriteU32(output, dataSize);
}

}  // namespace

bool ConvertXaToWav(const std::string& inputPath, const std::string& outputPath,
                    const ReportFn& report) {
    CXaDecoder decoder;

    CFile input;
    if (!input.Open(inputPath, CFile::modeRead)) return Fail(report);
    const auto failReading = [&] {
        input.Close();
        return Fail(report);
    };
    const std::uint32_t length = input.GetLength();
    // Too short to hold the header: nothing to convert, and no output is touched.
    if (length < xa::kHeaderSize) return failReading();
    // Refuse what no WAV header could describe before reading it all.
    if (xa::AnnouncedDataSize(length - xa::kHeaderSize) > wav::kMaxDataSize) return failReading();
    const ImageBuffer image = AllocateImage(length);
    if (!image) return failReading();
    // A file that shrank since it was measured yields what it still holds.
    const std::uint32_t imageLength = input.Read(image.get(), length);
    if (imageLength < xa::kHeaderSize) return failReading();

    const std::uint32_t channels = image[xa::kChannelCountOffset];
    const std::uint32_t streamLength = imageLength - xa::kHeaderSize;
    const std::uint64_t announced = xa::AnnouncedDataSize(streamLength);
    // A stream ending inside a block yields a little more than it announces.
    if (xa::DecodedDataSize(streamLength, channels) > wav::kMaxDataSize) return failReading();

    CFile output;
    if (!output.Open(outputPath, CFile::modeCreateReadWrite)) return failReading();
    WriteWavHeader(output, static_cast<std::uint32_t>(announced),
                   image.get() + xa::kWaveFormatOffset);

    decoder.Init(channels, image.get() + xa::kHeaderSize, streamLength, &output);
    const bool decoded = decoder.Decode();
    // A stream that ends inside a block, or stops at a bad header, yields another
    // count of samples than its length promised: the header says what is there.
    if (decoder.GetBytesWritten() != announced)
        ReviseWavSizes(output, static_cast<std::uint32_t>(decoder.GetBytesWritten()));

    if (!decoded) {
        output.Close();
        return failReading();
    }
    // Every byte reaches the file before success is claimed, so that a disk that
    // fills up on the last bytes is reported as the failure it is.
    output.Flush();
    report(kSuccessMessage);
    output.Close();
    return true;
}
