#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Builders for the XA and WAV files the tests feed in and expect out.
using Bytes = std::vector<std::uint8_t>;

inline Bytes Repeat(std::uint8_t value, std::size_t count) {
    return Bytes(count, value);
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline void AppendLE(Bytes& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A wave-format record: PCM, the given channels, 37800 Hz, 16 bits.
inline Bytes WaveFormat(std::uint16_t channels, std::uint16_t bits = 16) {
    Bytes record;
    AppendLE(record, 1, 2);
    AppendLE(record, channels, 2);
    AppendLE(record, 37800, 4);
    AppendLE(record, 37800u * channels * bits / 8, 4);
    AppendLE(record, static_cast<std::uint32_t>(channels * bits / 8), 2);
    AppendLE(record, bits, 2);
    return record;
}

inline Bytes XaFile(const Bytes& record, const Bytes& stream, const Bytes& leading = Bytes(8, 0)) {
    Bytes file = leading;
    file.insert(file.end(), record.begin(), record.end());
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

inline Bytes WavFile(const Bytes& record, std::uint32_t dataSize, const Bytes& samples) {
    Bytes file = {'R', 'I', 'F', 'F'};
    AppendLE(file, dataSize + 36, 4);
    for (char c : std::string("WAVEfmt ")) file.push_back(static_cast<std::uint8_t>(c));
    AppendLE(file, 16, 4);
    file.insert(file.end(), record.begin(), record.end());
    for (char c : std::string("data")) file.push_back(static_cast<std::uint8_t>(c));
    AppendLE(file, dataSize, 4);
    file.insert(file.end(), samples.begin(), samples.end());
    return file;
}

// How many random cases a test runs. Cross-built for Windows, the tests run
// under Wine, where on some machines every instruction is emulated: there a
// tenth of them, the full count being run by the native build of the same code.
inline constexpr int RandomCases(int native) {
#ifdef _WIN32
    return native / 10;
#else
    return native;
#endif
}
