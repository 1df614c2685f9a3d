#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Memory for an input image: a whole file read into one buffer. The system
// provides it the way that suits a large buffer filled once and read in order.
struct ImageRelease {
    std::size_t size = 0;
    void operator()(std::uint8_t* data) const;
};
using ImageBuffer = std::unique_ptr<std::uint8_t[], ImageRelease>;

// A buffer of `size` bytes (contents undefined), or an empty one if the memory
// cannot be had.
ImageBuffer AllocateImage(std::uint32_t size);
