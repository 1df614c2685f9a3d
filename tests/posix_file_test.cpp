// The POSIX file services: sharing rules, errors mapped to causes, buffered writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/file.h"
#include "platform/posix/errno_cause.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

TEST(PosixFile, ErrnoMapsToCauses) {
    const struct {
        int error, cause;
    } map[] = {
        {ENOENT, 2},  {ENOTDIR, 3}, {ENAMETOOLONG, 3}, {EMFILE, 4}, {ENFILE, 4}, {EACCES, 5},
        {EPERM, 5},   {EROFS, 5},   {EBADF, 6},        {ESPIPE, 9}, {EIO, 10},   {ENOSPC, 13},
        {EDQUOT, 13}, {EFBIG, 13},  {EAGAIN, 1},       {ENOMEM, 1}, {0, 1},
    };
    for (const auto& m : map) EXPECT_EQ(CauseOfErrno(m.error), m.cause) << "errno " << m.error;
}

// Every open lets others read and keeps writers out, whatever name the file is opened by.
TEST(PosixFile, OpenFilesKeepWritersOut) {
    TempDir dir;
    const std::string path = dir / "file";
    WriteFileBytes(path, {1, 2, 3});
    fs::create_symlink(path, dir / "symlink");
    fs::create_hard_link(path, dir / "hardlink");
    const struct {
        CFile::OpenMode held, wanted;
        bool admitted;
    } rules[] = {
        {CFile::modeRead, CFile::modeRead, true},
        {CFile::modeRead, CFile::modeCreateReadWrite, false},
        {CFile::modeCreateReadWrite, CFile::modeRead, false},
        {CFile::modeCreateReadWrite, CFile::modeCreateReadWrite, false},
    };
    for (const auto& rule : rules)
        for (const std::string& name : {path, dir / "symlink", dir / "hardlink"}) {
            SCOPED_TRACE(testing::Message()
                         << rule.held << " then " << rule.wanted << " via " << name);
            WriteFileBytes(path, {1, 2, 3});
            {
                CFile held, second;
                ASSERT_TRUE(held.Open(path, rule.held));
                EXPECT_EQ(second.Open(name, rule.wanted), rule.admitted);
                if (!rule.admitted && rule.held == CFile::modeRead) {
                    EXPECT_EQ(ReadFileBytes(path), (std::vector<std::uint8_t>{1, 2, 3}))
                        << "refused, yet truncated";
                }
            }
            // Once closed, the file is free again.
            CFile again;
            EXPECT_TRUE(again.Open(name, CFile::modeCreateReadWrite));
        }
}

TEST(PosixFile, LengthReadAndWrite) {
    TempDir dir;
    const std::string path = dir / "file";
    {
        CFile out;
        ASSERT_TRUE(out.Open(path, CFile::modeCreateReadWrite));
        out.Write("abcdef", 6);
        EXPECT_EQ(out.GetLength(), 6u) << "the length counts buffered bytes";
        out.Seek(2);
        out.Write("XY", 2);
        out.Close();
        EXPECT_FALSE(out.IsOpen());
    }
    CFile in;
    ASSERT_TRUE(in.Open(path, CFile::modeRead));
    char bytes[16] = {};
    EXPECT_EQ(in.Read(bytes, 2), 2u);
    EXPECT_EQ(in.GetLength(), 6u);
    // Measuring the length does not move the read position.
    EXPECT_EQ(in.Read(bytes + 2, sizeof bytes - 2), 4u);
    EXPECT_EQ(std::string(bytes), "abXYef");
}

TEST(PosixFile, LengthOf4GiBOrMoreIsASeekFailure) {
    TempDir dir;
    const std::string path = dir / "big";
    WriteFileBytes(path, {});
    for (std::uintmax_t size : {0xFFFFFFFFull, 0x100000000ull, 0x100000018ull}) {
        fs::resize_file(path, size);
        CFile in;
        ASSERT_TRUE(in.Open(path, CFile::modeRead));
        if (size <= 0xFFFFFFFF) {
            EXPECT_EQ(in.GetLength(), size);
            continue;
        }
        try {
            in.GetLength();
            ADD_FAILURE() << size << " measured";
        } catch (const CFileException& error) {
            EXPECT_EQ(error.m_cause, CFileException::badSeek);
            EXPECT_TRUE(error.m_strFileName.empty());
        }
    }
}

TEST(PosixFile, FailedWritesNameTheFileEvenWhenFlushedAtClose) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no writable /dev/full";
    CFile out;
    ASSERT_TRUE(out.Open("/dev/full", CFile::modeCreateReadWrite));
    out.Write("a small write waits in the buffer", 33);
    try {
        out.Close();
        ADD_FAILURE() << "closed without error";
    } catch (const CFileException& error) {
        EXPECT_EQ(error.m_cause, CFileException::diskFull);
        EXPECT_EQ(error.m_strFileName, "/dev/full");
    }
    EXPECT_FALSE(out.IsOpen()) << "the handle is released even when the last flush fails";

    CFile direct;
    ASSERT_TRUE(direct.Open("/dev/full", CFile::modeCreateReadWrite));
    const std::string large(1 << 20, 'x');
    EXPECT_THROW(direct.Write(large.data(), static_cast<uint32_t>(large.size())), CFileException);
}
