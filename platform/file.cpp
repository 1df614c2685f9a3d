#include "platform/file.h"

#include <cstring>

CFile::CFile() = default;

CFile::~CFile() {
    if (IsOpen()) ReleaseHandle(false);
}

bool CFile::Open(const std::string& path, OpenMode mode) {
    if (IsOpen()) return false;
    if (!OpenHandle(path, mode)) return false;
    m_path = path;
    return true;
}

uint32_t CFile::GetLength() {
    Flush();
    return QueryLength();
}

uint32_t CFile::Read(void* buffer, uint32_t count) {
    Flush();
    return ReadThrough(static_cast<std::uint8_t*>(buffer), count);
}

void CFile::Write(const void* data, uint32_t count) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (count >= kWriteBufferSize) {
        Flush();
        WriteThrough(bytes, count);
        return;
    }
    if (!m_writeBuffer)
        m_writeBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(kWriteBufferSize);
    if (count > kWriteBufferSize - m_buffered) Flush();
    std::memcpy(m_writeBuffer.get() + m_buffered, bytes, count);
    m_buffered += count;
}

void CFile::Flush() {
    if (m_buffered == 0) return;
    // Empty the buffer first: after a failed write its bytes are abandoned, not retried.
    const std::size_t count = m_buffered;
    m_buffered = 0;
    WriteThrough(m_writeBuffer.get(), count);
}

void CFile::Seek(uint32_t offset) {
    Flush();
    SeekThrough(offset);
}

void CFile::Close() {
    if (!IsOpen()) return;
    try {
        Flush();
    } catch (...) {
        ReleaseHandle(false);
        throw;
    }
    ReleaseHandle(true);
}
