#include "platform/raster/Image.h"

#include <cassert>

namespace orvalis::platform::raster {

Image::~Image()
{
    assert(contexts_ == 0 && "an image destroyed while a drawing context is bound to it");
}

SurfacePtr CreateRgbSurface(int width, int height)
{
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > kMaxPixelBytes / 4) return nullptr;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return surface;
}

std::uint32_t* SurfaceRow(cairo_surface_t* surface, int y)
{
    unsigned char* data = cairo_image_surface_get_data(surface);
    return reinterpret_cast<std::uint32_t*>(data + std::ptrdiff_t(y) * cairo_image_surface_get_stride(surface));
}

}  // namespace orvalis::platform::raster
