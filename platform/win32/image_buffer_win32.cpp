#include "platform/image_buffer.h"
#include "platform/win_types.h"

// Committed whole by the system, away from the heap: the image is freed in one
// piece and its pages go straight back.
ImageBuffer AllocateImage(std::uint32_t size) {
    if (size == 0) return ImageBuffer(nullptr, ImageRelease{0});
    void* memory = ::VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    return ImageBuffer(static_cast<std::uint8_t*>(memory), ImageRelease{size});
}

void ImageRelease::operator()(std::uint8_t* data) const {
    if (data) ::VirtualFree(data, 0, MEM_RELEASE);
}
