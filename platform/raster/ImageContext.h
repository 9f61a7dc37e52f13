#pragma once
// A drawing context bound to an image (a memory context with the image selected): a
// cairo context on the image's surface. Drawing through it changes the image; for a DIB
// the drawing reaches the pixel buffer at the image's next Flush(). The image must
// outlive the context.

#include <cairo.h>

#include <memory>

#include "platform/CairoPointers.h"

namespace orvalis::platform::raster {

class Image;

class ImageContext {
public:
    // Null when the image has no surface (the picture is too large) or cairo fails.
    static std::unique_ptr<ImageContext> Create(Image& image);
    ImageContext(const ImageContext&) = delete;
    ImageContext& operator=(const ImageContext&) = delete;
    ~ImageContext();

    cairo_t* Cairo() const { return cairo_.get(); }
    Image& Target() const { return image_; }

private:
    ImageContext(Image& image, ContextPtr cairo);

    Image& image_;
    ContextPtr cairo_;
};

}  // namespace orvalis::platform::raster
