#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "audio/convert.h"
#include "platform/file_exception.h"
#include "temp_dir.h"
#include "xa_files.h"
#include "xa_model.h"

namespace fs = std::filesystem;

namespace {

// `count` samples of the value 1, as filter 0 with shift 12 decodes code 1.
Bytes Ones(std::size_t count) {
    Bytes samples;
    for (std::size_t i = 0; i < count; ++i) samples.insert(samples.end(), {0x01, 0x00});
    return samples;
}

class ConvertTest : public testing::Test {
protected:
    // Runs the job and keeps every text it reports.
    bool Convert(const std::string& from, const std::string& to) {
        return ConvertXaToWav(from, to,
                              [this](const std::string& text) { reports.push_back(text); });
    }

    TempDir dir;
    std::string input = dir / "in.xa";
    std::string output = dir / "out.wav";
    std::vector<std::string> reports;
};

using Reports = std::vector<std::string>;

}  // namespace

struct ConversionCase {
    std::string name;
    Bytes xa;
    bool converted;
    Bytes wav;
};

TEST_F(ConvertTest, WritesTheDecodedWavFile) {
    const Bytes mono = WaveFormat(1);
    const Bytes stereo = WaveFormat(2);
    const Bytes eightBit = WaveFormat(1, 8);
    const ConversionCase cases[] = {
        {"header only", XaFile(mono, {}), true, WavFile(mono, 0, {})},
        {"one sample pair", XaFile(mono, {0x0C, 0x1F}), true,
         WavFile(mono, 4, {0x01, 0x00, 0xFF, 0xFF})},
        // A whole block and 14 more bytes: 56 bytes were promised, 108 are written.
        {"stream ending inside a block",
         XaFile(mono, Join({{0x0C}, Repeat(0x11, 14), {0x0C}, Repeat(0x11, 13)})), true,
         WavFile(mono, 108, Ones(54))},
        {"stereo frames", XaFile(stereo, {0x0C, 0x0C, 0x12, 0x34}), true,
         WavFile(stereo, 8, {0x01, 0x00, 0x03, 0x00, 0x02, 0x00, 0x04, 0x00})},
        {"leading bytes are never examined", XaFile(mono, {0x0C, 0x1F}, Bytes(8, 0xEE)), true,
         WavFile(mono, 4, {0x01, 0x00, 0xFF, 0xFF})},
        {"a record claiming 8 bits is copied as is", XaFile(eightBit, {0x0C, 0x1F}), true,
         WavFile(eightBit, 4, {0x01, 0x00, 0xFF, 0xFF})},
        {"bad first header leaves the header only", XaFile(mono, Join({{0x5C}, Repeat(0x11, 14)})),
         false, WavFile(mono, 0, {})},
        {"bad header after a block", XaFile(mono, Join({{0x0C}, Repeat(0x11, 14), {0x5C}})), false,
         WavFile(mono, 56, Ones(28))},
        {"no channels and no data", XaFile(WaveFormat(0), {}), true, WavFile(WaveFormat(0), 0, {})},
        {"no channels with data", XaFile(WaveFormat(0), Repeat(0x0C, 30)), false,
         WavFile(WaveFormat(0), 0, {})},
    };
    for (const ConversionCase& c : cases) {
        SCOPED_TRACE(c.name);
        reports.clear();
        WriteFileBytes(input, c.xa);
        EXPECT_EQ(Convert(input, output), c.converted);
        EXPECT_EQ(reports, Reports{c.converted ? kSuccessMessage : kErrorMessage});
        EXPECT_EQ(ReadFileBytes(output), c.wav);
    }
}

TEST_F(ConvertTest, MatchesTheModelOnARandomStereoFile) {
    std::mt19937 random(7);
    Bytes stream(2 * 15 * 300);
    for (std::size_t i = 0; i < stream.size(); ++i)
        stream[i] = static_cast<std::uint8_t>(i / 2 % 15 == 0 ? (random() % 5) << 4 | random() % 16
                                                              : random());
    WriteFileBytes(input, XaFile(WaveFormat(2), stream));
    ASSERT_TRUE(Convert(input, output));
    const Bytes samples = ModelDecode(stream, 2).samples;
    EXPECT_EQ(ReadFileBytes(output),
              WavFile(WaveFormat(2), static_cast<std::uint32_t>(samples.size()), samples));
}

TEST_F(ConvertTest, InputTooShortForItsHeaderTouchesNoOutput) {
    for (std::size_t length : {0, 1, 10, 23}) {
        SCOPED_TRACE(length);
        reports.clear();
        WriteFileBytes(input, Bytes(length, 0x0C));
        WriteFileBytes(output, {'k', 'e', 'e', 'p'});
        EXPECT_FALSE(Convert(input, output));
        EXPECT_EQ(reports, Reports{kErrorMessage});
        EXPECT_EQ(ReadFileBytes(output), (Bytes{'k', 'e', 'e', 'p'}));
    }
}

TEST_F(ConvertTest, FilesThatCannotBeOpened) {
    WriteFileBytes(input, XaFile(WaveFormat(1), {0x0C, 0x1F}));
    struct Case {
        std::string name, input, output;
    } cases[] = {
        {"missing input", dir / "absent.xa", output},
        {"input is a folder", dir.Path().string(), output},
        {"output folder missing", input, dir / "absent/out.wav"},
        {"output is a folder", input, dir.Path().string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reports.clear();
        EXPECT_FALSE(Convert(c.input, c.output));
        EXPECT_EQ(reports, Reports{kErrorMessage});
    }
    EXPECT_FALSE(fs::exists(output)) << "a failed input must not create the output";
}

TEST_F(ConvertTest, SameFileAsInputAndOutputIsRefusedUntouched) {
    const Bytes xa = XaFile(WaveFormat(1), {0x0C, 0x1F});
    WriteFileBytes(input, xa);
    fs::create_hard_link(input, dir / "hardlink.xa");
    std::vector<std::string> aliases = {input, dir / "hardlink.xa", dir / "./in.xa"};
#ifndef _WIN32
    // The C++ library makes no symbolic links on Windows.
    fs::create_symlink(input, dir / "symlink.xa");
    aliases.push_back(dir / "symlink.xa");
#endif
    for (const std::string& alias : aliases) {
        SCOPED_TRACE(alias);
        reports.clear();
        EXPECT_FALSE(Convert(input, alias));
        EXPECT_EQ(reports, Reports{kErrorMessage});
        EXPECT_EQ(ReadFileBytes(input), xa);
    }
}

TEST_F(ConvertTest, ExistingOutputIsReplaced) {
    WriteFileBytes(input, XaFile(WaveFormat(1), {0x0C, 0x1F}));
    WriteFileBytes(output, Bytes(5000, 0xAB));
    EXPECT_TRUE(Convert(input, output));
    EXPECT_EQ(ReadFileBytes(output).size(), 48u);
}

// POSIX's /dev/full. On Windows the end-to-end test fills a disk the same way, through Wine.
#ifndef _WIN32
TEST_F(ConvertTest, DiskFullIsAFileErrorNamingTheOutput) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no writable /dev/full";
    WriteFileBytes(input, XaFile(WaveFormat(1), {0x0C, 0x1F}));
    fs::create_symlink("/dev/full", dir / "full.wav");
    for (const std::string& target : {std::string("/dev/full"), dir / "full.wav"}) {
        SCOPED_TRACE(target);
        reports.clear();
        try {
            Convert(input, target);
            ADD_FAILURE() << "no file error";
        } catch (const CFileException& error) {
            EXPECT_EQ(error.m_cause, CFileException::diskFull);
            EXPECT_EQ(error.GetErrorMessage(), "Disk full while accessing " + target + ".");
        }
        EXPECT_TRUE(reports.empty()) << "success must not be claimed before the bytes are stored";
        // The job closed its files: the input can be written again.
        EXPECT_NO_THROW(WriteFileBytes(input, XaFile(WaveFormat(1), {0x0C, 0x1F})));
    }
    // A second run does the whole job anew.
    EXPECT_TRUE(Convert(input, output));
}
#endif

TEST_F(ConvertTest, OutputsTooLargeForAWavFileAreRefusedBeforeOpeningTheOutput) {
    // 1150437684 bytes would announce more than 4 GiB - 37 bytes of samples.
    const std::uintmax_t tooLong = 24 + 76695844ull * 15;
    WriteFileBytes(input, XaFile(WaveFormat(1), {}));
    GrowFile(input, tooLong);
    EXPECT_FALSE(Convert(input, output));
    EXPECT_EQ(reports, Reports{kErrorMessage});
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(ConvertTest, InputOf4GiBOrMoreCannotBeMeasured) {
    WriteFileBytes(input, XaFile(WaveFormat(1), {}));
    GrowFile(input, 1ull << 32);
    try {
        Convert(input, output);
        ADD_FAILURE() << "no file error";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_cause, CFileException::badSeek);
        EXPECT_EQ(error.GetErrorMessage(), "Seek failed on an unnamed file");
    }
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(fs::exists(output));
}
