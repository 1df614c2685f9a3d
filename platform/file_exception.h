#pragma once

#include <exception>
#include <string>

// A failed read, write, seek, length query or close of an open file. It travels
// as an exception from the file services to whoever runs the command that used
// the file, and that caller shows GetErrorMessage() to the user.
class CFileException : public std::exception {
public:
    // Causes, in the order of their texts; every system error maps to one of them.
    enum Cause : int {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
    };
    static constexpr int kCauseCount = 15;

    // `fileName` is empty unless the failure was a write (then it is the output's path).
    explicit CFileException(int cause, std::string fileName = {});

    int m_cause;
    std::string m_strFileName;

    // The cause's text with the file name, or "an unnamed file", in place of %1.
    std::string GetErrorMessage() const;
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

// The text of a cause with its %1 placeholder; causes out of range read as cause 1.
const char* FileErrorTemplate(int cause);
