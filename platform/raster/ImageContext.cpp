#include "platform/raster/ImageContext.h"

#include "platform/raster/Image.h"

namespace orvalis::platform::raster {

std::unique_ptr<ImageContext> ImageContext::Create(Image& image) {
    cairo_surface_t* surface = image.Surface();
    if (!surface) return nullptr;
    cairo_t* cairo = cairo_create(surface);
    if (cairo_status(cairo) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cairo);
        return nullptr;
    }
    return std::unique_ptr<ImageContext>(new ImageContext(image, cairo));
}

ImageContext::ImageContext(Image& image, cairo_t* cairo) : image_(image), cairo_(cairo) {
    ++image_.contexts_;
    image_.ContextAttached();
}

ImageContext::~ImageContext() {
    cairo_destroy(cairo_);
    --image_.contexts_;
}

}  // namespace orvalis::platform::raster
