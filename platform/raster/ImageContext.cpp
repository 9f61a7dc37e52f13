#include "platform/raster/ImageContext.h"

#include "platform/raster/Image.h"

namespace orvalis::platform::raster {

std::unique_ptr<ImageContext> ImageContext::Create(Image& image) {
    cairo_surface_t* surface = image.Surface();
    if (!surface) return nullptr;
    ContextPtr cairo(cairo_create(surface));
    if (cairo_status(cairo.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return std::unique_ptr<ImageContext>(new ImageContext(image, std::move(cairo)));
}

ImageContext::ImageContext(Image& image, ContextPtr cairo) : image_(image), cairo_(std::move(cairo)) {
    ++image_.contexts_;
    image_.ContextAttached();
}

ImageContext::~ImageContext() { --image_.contexts_; }

}  // namespace orvalis::platform::raster
