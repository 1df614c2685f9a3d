#include <sys/mman.h>
#include <unistd.h>

#include <new>

#include "platform/image_buffer.h"

// Fresh memory is expensive to fault in page by page; a private mapping that
// asks for huge pages fills several times faster than the heap. Sanitized
// builds keep the heap, whose guards catch a read past the end to the byte.
#if defined(__SANITIZE_ADDRESS__)
#define KORVANE_IMAGE_ON_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVANE_IMAGE_ON_HEAP 1
#endif
#endif

#ifdef KORVANE_IMAGE_ON_HEAP

ImageBuffer AllocateImage(std::uint32_t size) {
    return ImageBuffer(new (std::nothrow) std::uint8_t[size], ImageRelease{size});
}

void ImageRelease::operator()(std::uint8_t* data) const {
    delete[] data;
}

#else

ImageBuffer AllocateImage(std::uint32_t size) {
    if (size == 0) return ImageBuffer(nullptr, ImageRelease{0});
    void* mapping =
        ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return ImageBuffer(nullptr, ImageRelease{0});
#ifdef MADV_HUGEPAGE
    ::madvise(mapping, size, MADV_HUGEPAGE);  // a hint: without it the buffer still works
#endif
    return ImageBuffer(static_cast<std::uint8_t*>(mapping), ImageRelease{size});
}

void ImageRelease::operator()(std::uint8_t* data) const {
    if (data) ::munmap(data, size);
}

#endif
