#include <gtest/gtest.h>

#include <string>

#include "platform/file_exception.h"

TEST(FileException, EveryCauseHasItsText) {
    const std::string named = "C:\\out.wav";
    const struct {
        int cause;
        std::string withName;
    } texts[] = {
        {0, "No error occurred."},
        {1, "An unknown error occurred while accessing C:\\out.wav."},
        {2, "C:\\out.wav was not found."},
        {3, "C:\\out.wav contains an invalid path."},
        {4, "C:\\out.wav could not be opened because there are too many open files."},
        {5, "Access to C:\\out.wav was denied."},
        {6, "An invalid file handle was associated with C:\\out.wav."},
        {7, "C:\\out.wav could not be removed because it is the current directory."},
        {8, "C:\\out.wav could not be created because the directory is full."},
        {9, "Seek failed on C:\\out.wav"},
        {10, "A hardware I/O error was reported while accessing C:\\out.wav."},
        {11, "A sharing violation occurred while accessing C:\\out.wav."},
        {12, "A locking violation occurred while accessing C:\\out.wav."},
        {13, "Disk full while accessing C:\\out.wav."},
        {14, "An attempt was made to access C:\\out.wav past its end."},
    };
    for (const auto& t : texts)
        EXPECT_EQ(CFileException(t.cause, named).GetErrorMessage(), t.withName);
}

TEST(FileException, UnnamedFilesAndUnknownCauses) {
    EXPECT_EQ(CFileException(CFileException::diskFull).GetErrorMessage(),
              "Disk full while accessing an unnamed file.");
    EXPECT_EQ(CFileException(CFileException::fileNotFound).GetErrorMessage(),
              "an unnamed file was not found.");
    // A name that itself holds "%1" is not expanded again.
    EXPECT_EQ(CFileException(CFileException::badSeek, "%1").GetErrorMessage(), "Seek failed on %1");
    EXPECT_EQ(CFileException(99).GetErrorMessage(),
              "An unknown error occurred while accessing an unnamed file.");
    EXPECT_STREQ(CFileException(13, "x").what(), "Disk full while accessing x.");
}
