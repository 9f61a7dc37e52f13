#include "codecs/GdImage.h"

#include <cassert>
#include <cstddef>
#include <new>

namespace orvalis::gd {

gdImage::gdImage(int width, int height)
    : pixels(static_cast<std::size_t>(height)),
      sx(width),
      sy(height),
      pixelBlock_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {
    open.fill(1);
    for (std::size_t y = 0; y < pixels.size(); ++y)
        pixels[y] = pixelBlock_.data() + y * static_cast<std::size_t>(width);
}

std::unique_ptr<gdImage> gdImageCreate(int sx, int sy) {
    assert(sx >= 0 && sy >= 0);
    try {
        return std::unique_ptr<gdImage>(new gdImage(sx, sy));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int gdImageGetPixel(const gdImage& image, int x, int y) {
    if (x < 0 || x >= image.sx || y < 0 || y >= image.sy) return 0;
    return image.pixels[static_cast<std::size_t>(y)][x];
}

void gdImageDestroy(std::unique_ptr<gdImage> image) { image.reset(); }

}  // namespace orvalis::gd
