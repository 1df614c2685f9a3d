// POSIX side of CFile: descriptors, errno mapped to causes, and the sharing
// rules emulated with a table of the files this process holds open.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/posix/errno_cause.h"

namespace {

struct ErrnoCause {
    int error;
    int cause;
};

constexpr ErrnoCause kErrnoCauses[] = {
    {ENOENT, CFileException::fileNotFound},
    {ENOTDIR, CFileException::badPath},
    {ENAMETOOLONG, CFileException::badPath},
    {ELOOP, CFileException::badPath},
    {EMFILE, CFileException::tooManyOpenFiles},
    {ENFILE, CFileException::tooManyOpenFiles},
    {EACCES, CFileException::accessDenied},
    {EPERM, CFileException::accessDenied},
    {EROFS, CFileException::accessDenied},
    {EISDIR, CFileException::accessDenied},
    {EBADF, CFileException::invalidFile},
    {ESPIPE, CFileException::badSeek},
    {EIO, CFileException::hardIO},
    {ENOSPC, CFileException::diskFull},
    {EDQUOT, CFileException::diskFull},
    {EFBIG, CFileException::diskFull},
};

[[noreturn]] void ThrowErrno(int error, const std::string& fileName = {}) {
    throw CFileException(CauseOfErrno(error), fileName);
}

int Descriptor(std::intptr_t handle) {
    return static_cast<int>(handle);
}

// POSIX has no sharing modes, so this process keeps its own: every file it holds
// open lets others read but keeps writers out. A file is known by device and
// inode, which also catches a second name for it (a hard or symbolic link).
class OpenFileTable {
public:
    struct Entry {
        dev_t device;
        ino_t inode;
        int descriptor;
        bool writing;
    };

    // Records the open, or returns false when it conflicts with one already held.
    bool Admit(const Entry& entry) {
        std::lock_guard lock(m_mutex);
        for (const Entry& held : m_entries) {
            const bool sameFile = held.device == entry.device && held.inode == entry.inode;
            if (sameFile && (held.writing || entry.writing)) return false;
        }
        m_entries.push_back(entry);
        return true;
    }

    void Forget(int descriptor) {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_entries, [&](const Entry& e) { return e.descriptor == descriptor; });
    }

private:
    std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

OpenFileTable& OpenFiles() {
    static OpenFileTable table;
    return table;
}

}  // namespace

int CauseOfErrno(int error) {
    for (const ErrnoCause& entry : kErrnoCauses)
        if (entry.error == error) return entry.cause;
    return CFileException::genericException;
}

bool CFile::OpenHandle(const std::string& path, OpenMode mode) {
    const bool writing = mode == modeCreateReadWrite;
    // Never O_TRUNC: the file may turn out to be one that must not be written.
    const int flags = (writing ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC;
    int fd;
    do {
        fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;

    struct stat info {};
    // A directory opens for reading on POSIX; as a file it has no content to convert.
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode) ||
        !OpenFiles().Admit({info.st_dev, info.st_ino, fd, writing})) {
        ::close(fd);
        return false;
    }
    if (writing && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) != 0) {
        OpenFiles().Forget(fd);
        ::close(fd);
        return false;
    }
    m_handle = fd;
    return true;
}

uint32_t CFile::QueryLength() {
    const int fd = Descriptor(m_handle);
    const off_t current = ::lseek(fd, 0, SEEK_CUR);
    if (current < 0) ThrowErrno(errno);
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) ThrowErrno(errno);
    if (::lseek(fd, current, SEEK_SET) < 0) ThrowErrno(errno);
    if (static_cast<std::uint64_t>(end) > UINT32_MAX) throw CFileException(CFileException::badSeek);
    return static_cast<uint32_t>(end);
}

uint32_t CFile::ReadThrough(std::uint8_t* buffer, uint32_t count) {
    uint32_t total = 0;
    while (total < count) {
        const ssize_t got = ::read(Descriptor(m_handle), buffer + total, count - total);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno);
        }
        total += static_cast<uint32_t>(got);
    }
    return total;
}

void CFile::WriteThrough(const std::uint8_t* data, std::size_t count) {
    while (count > 0) {
        const ssize_t put = ::write(Descriptor(m_handle), data, count);
        if (put < 0) {
            if (errno == EINTR) continue;
            ThrowErrno(errno, m_path);
        }
        // Nothing stored and no error given: the device has no room left.
        if (put == 0) throw CFileException(CFileException::diskFull, m_path);
        data += put;
        count -= static_cast<std::size_t>(put);
    }
}

void CFile::SeekThrough(uint32_t offset) {
    if (::lseek(Descriptor(m_handle), static_cast<off_t>(offset), SEEK_SET) < 0) ThrowErrno(errno);
}

void CFile::ReleaseHandle(bool reportErrors) {
    const int fd = Descriptor(std::exchange(m_handle, kNoHandle));
    OpenFiles().Forget(fd);
    // The descriptor is gone even when close reports an error, so it is never retried.
    if (::close(fd) != 0 && reportErrors && errno != EINTR) ThrowErrno(errno);
}
