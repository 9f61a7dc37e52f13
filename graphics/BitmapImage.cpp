#include "graphics/BitmapImage.h"

#include "graphics/BitmapCanvas.h"

namespace orvalis {

TBitmapImage::~TBitmapImage() {
    DetachFromCanvases(device_.get());
    DetachFromCanvases(mask_.get());
    DetachFromCanvases(dib_.get());
}

void TBitmapImage::ReleaseHandles() {
    DetachFromCanvases(device_.get());
    device_.reset();
    DetachFromCanvases(mask_.get());
    mask_.reset();
    palette_.reset();
}

void TBitmapImage::DetachFromCanvases(raster::Image* image) {
    if (image) TBitmapCanvas::ReleaseContextsOn(*image);
}

}  // namespace orvalis
