#pragma once

#include <cstdint>
#include <vector>

#include "platform/file.h"

// An output that keeps what is written in memory, so that decoded bytes can be
// compared without touching the disk.
class CMemoryFile : public CFile {
public:
    void Write(const void* data, uint32_t count) override {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + count);
    }
    void Flush() override {}

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};
