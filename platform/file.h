#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_exception.h"

// A binary file opened by path. Opening reports failure by its result; every
// later operation that fails throws CFileException. Each system provides the
// operations marked "system" in a backend of its own (platform/posix,
// platform/win32); the write buffering here is shared by all of them.
//
// Both modes let other openers read the file but keep writers out while it is
// open, so the same file cannot be opened for output while it is being read.
class CFile {
public:
    enum OpenMode {
        modeRead,             // existing file, read only
        modeCreateReadWrite,  // created, or truncated to zero length, for reading and writing
    };

    CFile();
    virtual ~CFile();  // closes without flushing: unflushed bytes are abandoned
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    bool Open(const std::string& path, OpenMode mode);
    bool IsOpen() const { return m_handle != kNoHandle; }
    const std::string& GetFilePath() const { return m_path; }

    // Length in bytes, found by seeking to the end and back; a file of 4 GiB or
    // more cannot be measured and fails with badSeek.
    virtual uint32_t GetLength();
    // Reads up to `count` bytes; returns fewer only at the end of the file.
    virtual uint32_t Read(void* buffer, uint32_t count);
    // Stores all `count` bytes or throws, naming this file's path. Bytes may wait
    // in a buffer until Flush, Seek or Close.
    virtual void Write(const void* data, uint32_t count);
    virtual void Flush();
    // Moves to `offset` from the start, after flushing.
    virtual void Seek(uint32_t offset);
    // Flushes and closes; the handle is released even when the flush fails.
    virtual void Close();

protected:
    static constexpr std::intptr_t kNoHandle = -1;

private:
    // The system's side, one implementation per backend. Each throws
    // CFileException on failure, except OpenHandle, which reports by its result.
    bool OpenHandle(const std::string& path, OpenMode mode);
    uint32_t QueryLength();
    uint32_t ReadThrough(std::uint8_t* buffer, uint32_t count);
    void WriteThrough(const std::uint8_t* data, std::size_t count);  // all bytes, or throws
    void SeekThrough(uint32_t offset);
    void ReleaseHandle(bool reportErrors);  // forgets the handle in any case

    static constexpr std::size_t kWriteBufferSize = 256 * 1024;

    std::intptr_t m_handle = kNoHandle;  // a descriptor or a system handle
    std::string m_path;
    std::unique_ptr<std::uint8_t[]> m_writeBuffer;  // allocated by the first buffered write
    std::size_t m_buffered = 0;
};
