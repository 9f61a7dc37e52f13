#pragma once
// TBitmapCanvas: the canvas that draws into a bitmap (TBitmap::Canvas). Its drawing
// context is made when first needed, bound to the bitmap's device image; the canvas
// then enters BitmapCanvasList, the process-wide list of bitmap canvases that hold a
// context, until the context is released. An image is drawn into by one canvas at a
// time: binding a canvas to an image releases the contexts of the others on it.
//
// Contexts are released after every window message that a windowed control handles
// (the release pass, through the canvas release hooks): those of the canvases that can
// be locked without waiting; the others are skipped.

#include <memory>

#include "graphics/Canvas.h"
#include "platform/raster/Image.h"
#include "platform/raster/ImageContext.h"

namespace orvalis {

namespace raster = platform::raster;

class TBitmap;

class TBitmapCanvas : public TCanvas {
    ORVALIS_TYPE_INFO(TBitmapCanvas)

public:
    explicit TBitmapCanvas(TBitmap& bitmap);
    ~TBitmapCanvas() override;

    TBitmap& Bitmap() const { return bitmap_; }
    // The image the context draws into; null while the canvas holds no context.
    raster::Image* BoundImage() const { return context_ ? &context_->Target() : nullptr; }

    // Puts back the image and deletes the context; the canvas leaves BitmapCanvasList.
    void FreeHandle() override;

    // Every canvas of BitmapCanvasList bound to `image` releases its context.
    static void ReleaseContextsOn(const raster::Image& image);
    // The release pass: the contexts of the listed canvases that can be locked at once.
    static void ReleaseUnusedContexts();
    // How many canvases BitmapCanvasList holds.
    static std::size_t ListedCount();

protected:
    void CreateHandle() override;

private:
    TBitmap& bitmap_;
    std::unique_ptr<raster::ImageContext> context_;
    // What the canvas of an empty bitmap draws into, so that drawing there does nothing.
    std::unique_ptr<raster::Image> placeholder_;
};

}  // namespace orvalis
