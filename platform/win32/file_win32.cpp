// Win32 side of CFile: handles from CreateFileW, whose sharing modes keep
// writers out, and GetLastError codes mapped to causes.
#include <cstdint>
#include <utility>

#include "platform/file.h"
#include "platform/win32/error_cause.h"

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which not every set of system headers declares.
constexpr DWORD kErrorDiskQuotaExceeded = 1295;

struct SystemErrorCause {
    DWORD error;
    int cause;
};

constexpr SystemErrorCause kSystemErrorCauses[] = {
    {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
    {ERROR_PATH_NOT_FOUND, CFileException::badPath},
    {ERROR_INVALID_DRIVE, CFileException::badPath},
    {ERROR_BAD_NETPATH, CFileException::badPath},
    {ERROR_BAD_NET_NAME, CFileException::badPath},
    {ERROR_INVALID_NAME, CFileException::badPath},
    {ERROR_BAD_PATHNAME, CFileException::badPath},
    {ERROR_FILENAME_EXCED_RANGE, CFileException::badPath},
    {ERROR_DIRECTORY, CFileException::badPath},
    {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
    {ERROR_SHARING_BUFFER_EXCEEDED, CFileException::tooManyOpenFiles},
    {ERROR_ACCESS_DENIED, CFileException::accessDenied},
    {ERROR_INVALID_ACCESS, CFileException::accessDenied},
    {ERROR_WRITE_PROTECT, CFileException::accessDenied},
    {ERROR_FILE_EXISTS, CFileException::accessDenied},
    {ERROR_ALREADY_EXISTS, CFileException::accessDenied},
    {ERROR_INVALID_HANDLE, CFileException::invalidFile},
    {ERROR_CURRENT_DIRECTORY, CFileException::removeCurrentDir},
    {ERROR_CANNOT_MAKE, CFileException::directoryFull},
    {ERROR_SEEK, CFileException::badSeek},
    {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
    {ERROR_SEEK_ON_DEVICE, CFileException::badSeek},
    {ERROR_NOT_READY, CFileException::hardIO},
    {ERROR_CRC, CFileException::hardIO},
    {ERROR_SECTOR_NOT_FOUND, CFileException::hardIO},
    {ERROR_WRITE_FAULT, CFileException::hardIO},
    {ERROR_READ_FAULT, CFileException::hardIO},
    {ERROR_GEN_FAILURE, CFileException::hardIO},
    {ERROR_IO_DEVICE, CFileException::hardIO},
    {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
    {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
    {ERROR_DISK_FULL, CFileException::diskFull},
    {ERROR_HANDLE_DISK_FULL, CFileException::diskFull},
    {kErrorDiskQuotaExceeded, CFileException::diskFull},
    {ERROR_HANDLE_EOF, CFileException::endOfFile},
};

[[noreturn]] void ThrowLastError(const std::string& fileName = {}) {
    throw CFileException(CauseOfSystemError(::GetLastError()), fileName);
}

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

int CauseOfSystemError(DWORD error) {
    for (const SystemErrorCause& entry : kSystemErrorCauses)
        if (entry.error == error) return entry.cause;
    return CFileException::genericException;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

bool CFile::OpenHandle(const std::string& path, OpenMode mode) {
    const std::wstring widePath = Widen(path);
    if (widePath.empty()) return false;
    const bool writing = mode == modeCreateReadWrite;
    // Others may read but not write. Opening the file being read as the output
    // therefore fails with a sharing violation, before CREATE_ALWAYS truncates.
    const HANDLE handle = ::CreateFileW(
        widePath.c_str(), writing ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ,
        nullptr, writing ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    m_handle = reinterpret_cast<std::intptr_t>(handle);
    return true;
}

uint32_t CFile::QueryLength() {
    const HANDLE handle = Handle(m_handle);
    LARGE_INTEGER current{}, end{};
    if (!::SetFilePointerEx(handle, LARGE_INTEGER{}, &current, FILE_CURRENT)) ThrowLastError();
    if (!::SetFilePointerEx(handle, LARGE_INTEGER{}, &end, FILE_END)) ThrowLastError();
    if (!::SetFilePointerEx(handle, current, nullptr, FILE_BEGIN)) ThrowLastError();
    if (end.QuadPart > static_cast<LONGLONG>(UINT32_MAX))
        throw CFileException(CFileException::badSeek);
    return static_cast<uint32_t>(end.QuadPart);
}

uint32_t CFile::ReadThrough(std::uint8_t* buffer, uint32_t count) {
    uint32_t total = 0;
    while (total < count) {
        DWORD got = 0;
        if (!::ReadFile(Handle(m_handle), buffer + total, count - total, &got, nullptr))
            ThrowLastError();
        if (got == 0) break;
        total += got;
    }
    return total;
}

void CFile::WriteThrough(const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
        DWORD put = 0;
        if (!::WriteFile(Handle(m_handle), data, chunk, &put, nullptr)) ThrowLastError(m_path);
        // Fewer bytes stored than asked, and no error given: the disk is full.
        if (put < chunk) throw CFileException(CFileException::diskFull, m_path);
        data += put;
        count -= put;
    }
}

void CFile::SeekThrough(uint32_t offset) {
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    if (!::SetFilePointerEx(Handle(m_handle), position, nullptr, FILE_BEGIN)) ThrowLastError();
}

void CFile::ReleaseHandle(bool reportErrors) {
    const HANDLE handle = Handle(std::exchange(m_handle, kNoHandle));
    if (!::CloseHandle(handle) && reportErrors) ThrowLastError();
}
