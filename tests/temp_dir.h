#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        std::random_device seed;
        m_path = std::filesystem::temp_directory_path() /
                 ("korvane-test-" + std::to_string(seed()) + std::to_string(seed()));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string operator/(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Makes the file `size` bytes long, the new bytes zero and, where the file system
// allows, not stored. On Windows not with std::filesystem::resize_file, whose C
// runtime truncate now and then never returns under Wine on qemu-i386.
inline void GrowFile(const std::string& path, std::uintmax_t size) {
#ifdef _WIN32
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(size - 1));
    file.put('\0');
#else
    std::filesystem::resize_file(path, size);
#endif
}

inline std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
