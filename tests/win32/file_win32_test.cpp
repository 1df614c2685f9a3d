// The Win32 file services: system errors as file-error causes, the sharing
// modes that keep a file being read from being written, and the limits of
// CreateFileW-backed files.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/win32/error_cause.h"
#include "temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A sparse file of `size` bytes, sized by the system itself. Not with
// std::filesystem::resize_file: going through the C runtime's truncate, this
// sequence of sizes never returned under Wine on qemu-i386.
void MakeSparseFile(const std::string& path, std::uint64_t size) {
    const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    EXPECT_TRUE(::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file));
    ::CloseHandle(file);
}

class Win32File : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir / "file.bin";
    const Bytes content = {'k', 'o', 'r', 'v', 'a', 'n', 'e'};
};

}  // namespace

TEST(SystemErrorCause, CommonErrorsAndTheRest) {
    const struct {
        DWORD error;
        int cause;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath},
        {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
        {ERROR_ACCESS_DENIED, CFileException::accessDenied},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
        {ERROR_DISK_FULL, CFileException::diskFull},
        {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
        {ERROR_HANDLE_EOF, CFileException::endOfFile},
        {ERROR_SEEK, CFileException::badSeek},
        {ERROR_SUCCESS, CFileException::genericException},
        {ERROR_NOT_SUPPORTED, CFileException::genericException},
        {0xDEADBEEF, CFileException::genericException},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(CauseOfSystemError(c.error), c.cause);
    }
}

TEST(TextConversion, Utf8AndUtf16RoundTrip) {
    const std::string text = "C:\\M\xC3\xBCsik\\\xE2\x99\xAA\\\xF0\x9F\x8E\xB5.xa";  // ü, ♪, 🎵
    const std::wstring wide = Widen(text);
    EXPECT_EQ(wide, L"C:\\M\u00FCsik\\\u266A\\\U0001F3B5.xa");
    EXPECT_EQ(Narrow(wide), text);
    EXPECT_EQ(Widen("\xC3"), L"") << "invalid UTF-8 widens to nothing";
}

// A file held open lets others read it but keeps writers out; the output is
// created by truncation, which must not happen to a file that is being read.
TEST_F(Win32File, SharingKeepsWritersAway) {
    const struct {
        const char* name;
        CFile::OpenMode first, second;
        bool secondOpens;
    } cases[] = {
        {"two readers", CFile::modeRead, CFile::modeRead, true},
        {"output over the input", CFile::modeRead, CFile::modeCreateReadWrite, false},
        {"reader of the output", CFile::modeCreateReadWrite, CFile::modeRead, false},
        {"two outputs", CFile::modeCreateReadWrite, CFile::modeCreateReadWrite, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileBytes(path, content);
        {
            CFile first, second;
            ASSERT_TRUE(first.Open(path, c.first));
            EXPECT_EQ(second.Open(path, c.second), c.secondOpens);
            if (!c.secondOpens) {
                EXPECT_EQ(::GetLastError(), ERROR_SHARING_VIOLATION);
            }
        }
        if (c.first == CFile::modeRead) {
            EXPECT_EQ(ReadFileBytes(path), content) << "the file being read was changed";
        }
        // Once closed, the same file opens for output.
        CFile output;
        EXPECT_TRUE(output.Open(path, CFile::modeCreateReadWrite));
    }
}

TEST_F(Win32File, OpenFailsForWhatIsNoFile) {
    const std::string missing = dir / "absent.xa";
    CFile file;
    EXPECT_FALSE(file.Open(missing, CFile::modeRead));
    EXPECT_FALSE(file.Open(dir / "absent\\out.wav", CFile::modeCreateReadWrite));
    EXPECT_FALSE(file.Open(dir.Path().string(), CFile::modeRead));
    EXPECT_FALSE(file.Open("\xC3", CFile::modeRead)) << "invalid UTF-8";
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(Win32File, LengthUpTo4GiBAndNoFurther) {
    const struct {
        std::uintmax_t size;
        bool measurable;
    } cases[] = {{0, true}, {0xFFFFFFFFull, true}, {1ull << 32, false}, {(1ull << 32) + 7, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        MakeSparseFile(path, c.size);
        CFile file;
        ASSERT_TRUE(file.Open(path, CFile::modeRead));
        if (c.measurable) {
            EXPECT_EQ(file.GetLength(), c.size);
            continue;
        }
        try {
            file.GetLength();
            ADD_FAILURE() << "no file error";
        } catch (const CFileException& error) {
            EXPECT_EQ(error.m_cause, CFileException::badSeek);
            EXPECT_EQ(error.GetErrorMessage(), "Seek failed on an unnamed file");
        }
    }
}

TEST_F(Win32File, ReadsAndWritesThroughTheHandle) {
    {
        CFile output;
        ASSERT_TRUE(output.Open(path, CFile::modeCreateReadWrite));
        output.Write("RIFF....", 8);
        output.Write(content.data(), static_cast<uint32_t>(content.size()));
        output.Seek(4);
        output.Write("size", 4);
        output.Close();
    }
    EXPECT_EQ(ReadFileBytes(path),
              (Bytes{'R', 'I', 'F', 'F', 's', 'i', 'z', 'e', 'k', 'o', 'r', 'v', 'a', 'n', 'e'}));
    CFile input;
    ASSERT_TRUE(input.Open(path, CFile::modeRead));
    EXPECT_EQ(input.GetLength(), 15u);
    std::uint8_t buffer[32] = {};
    EXPECT_EQ(input.Read(buffer, 4), 4u);
    EXPECT_EQ(input.Read(buffer, sizeof buffer), 11u) << "a short read only at the end";
    EXPECT_EQ(input.Read(buffer, sizeof buffer), 0u);
}

// A write the system refuses is a file error naming the output. A handle
// opened for reading only refuses writes: ERROR_ACCESS_DENIED.
TEST_F(Win32File, FailedWriteNamesTheOutput) {
    WriteFileBytes(path, content);
    CFile output;
    ASSERT_TRUE(output.Open(path, CFile::modeRead));
    output.Write(content.data(), static_cast<uint32_t>(content.size()));  // buffered
    try {
        output.Flush();
        ADD_FAILURE() << "no file error";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_cause, CFileException::accessDenied);
        EXPECT_EQ(error.m_strFileName, path);
        EXPECT_EQ(error.GetErrorMessage(), "Access to " + path + " was denied.");
    }
    // The bytes were abandoned with the failure: closing has nothing left to write.
    EXPECT_NO_THROW(output.Close());
    EXPECT_FALSE(output.IsOpen());
}
