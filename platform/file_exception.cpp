#include "platform/file_exception.h"

#include <array>
#include <string_view>

namespace {

constexpr std::array<const char*, CFileException::kCauseCount> kCauseTexts = {
    "No error occurred.",
    "An unknown error occurred while accessing %1.",
    "%1 was not found.",
    "%1 contains an invalid path.",
    "%1 could not be opened because there are too many open files.",
    "Access to %1 was denied.",
    "An invalid file handle was associated with %1.",
    "%1 could not be removed because it is the current directory.",
    "%1 could not be created because the directory is full.",
    "Seek failed on %1",
    "A hardware I/O error was reported while accessing %1.",
    "A sharing violation occurred while accessing %1.",
    "A locking violation occurred while accessing %1.",
    "Disk full while accessing %1.",
    "An attempt was made to access %1 past its end.",
};

std::string FormatMessage(int cause, const std::string& fileName) {
    std::string_view text = FileErrorTemplate(cause);
    const std::string_view name =
        fileName.empty() ? std::string_view("an unnamed file") : std::string_view(fileName);
    std::string message;
    const auto at = text.find("%1");
    if (at == std::string_view::npos) return std::string(text);
    message.append(text.substr(0, at)).append(name).append(text.substr(at + 2));
    return message;
}

}  // namespace

const char* FileErrorTemplate(int cause) {
    if (cause < 0 || cause >= CFileException::kCauseCount) cause = CFileException::genericException;
    return kCauseTexts[static_cast<std::size_t>(cause)];
}

CFileException::CFileException(int cause, std::string fileName)
    : m_cause(cause),
      m_strFileName(std::move(fileName)),
      m_message(FormatMessage(cause, m_strFileName)) {}

std::string CFileException::GetErrorMessage() const {
    return m_message;
}
