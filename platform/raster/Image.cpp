#include "platform/raster/Image.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cassert>
#include <cstdlib>

namespace orvalis::platform::raster {

Image::~Image() { assert(contexts_ == 0 && "an image destroyed while a drawing context is bound to it"); }

void AdviseLargePages(void* memory, std::size_t size) {
    constexpr std::size_t kLargePage = 2u << 20;
    if (size < kLargePage) return;
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t start = (std::uintptr_t(memory) + page - 1) & ~(page - 1);
    const std::uintptr_t end = std::uintptr_t(memory) + size;
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

namespace {

const cairo_user_data_key_t kOwnPixels{};

}  // namespace

SurfacePtr CreateRgbSurface(int width, int height) {
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > kMaxPixelBytes / 4) return nullptr;
    // The pixels are allocated here rather than by cairo, so that a large surface gets
    // large pages too (a whole picture is converted into it at once); zero, as cairo's.
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, width);
    const std::size_t size = std::size_t(stride) * std::size_t(height);
    void* pixels = std::calloc(size, 1);
    if (!pixels) return nullptr;
    AdviseLargePages(pixels, size);
    SurfacePtr surface(cairo_image_surface_create_for_data(static_cast<unsigned char*>(pixels), CAIRO_FORMAT_RGB24,
                                                           width, height, stride));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_set_user_data(surface.get(), &kOwnPixels, pixels, &std::free) != CAIRO_STATUS_SUCCESS) {
        std::free(pixels);
        return nullptr;
    }
    return surface;
}

std::uint32_t* SurfaceRow(cairo_surface_t* surface, int y) {
    unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * cairo_image_surface_get_stride(surface));
}

}  // namespace orvalis::platform::raster
