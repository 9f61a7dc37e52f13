#pragma once
// An image of the raster services: a DIB (DibImage, pixels in a heap buffer of an exact
// DIB layout) or a device image (DeviceImage, pixels in the screen's layout or 1-bit
// monochrome). A handle to an image is an Image*; the owner holds it in a unique_ptr.
//
// Every image reads and writes its rows as colours 0x00RRGGBB, row 0 at the top, and
// shows its pixels to cairo as an RGB24 image surface (Surface()), which drawing reads
// from and drawing contexts draw into.

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/CairoPointers.h"
#include "platform/raster/BitmapInfo.h"

namespace orvalis::platform::raster {

class DibImage;

class Image {
public:
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    int Width() const { return width_; }
    int Height() const { return height_; }
    virtual int BitsPerPixel() const = 0;
    // A 1-bit device image: blits map its black to the text colour and white to the
    // background colour, and colour into it by the background colour (see Blit.h).
    bool IsMonochromeDevice() const { return !AsDib() && BitsPerPixel() == 1; }

    virtual DibImage* AsDib() { return nullptr; }
    virtual const DibImage* AsDib() const { return nullptr; }

    // GetObject: a device image fills dsBm only (biSize 0); a DIB fills everything.
    virtual DibSection Describe() const = 0;

    // Rows of `Width()` colours 0x00RRGGBB; row 0 is the top of the picture.
    virtual void ReadRow(int y, std::uint32_t* pixels) = 0;
    virtual void WriteRow(int y, const std::uint32_t* pixels) = 0;

    // The pixels as a cairo RGB24 surface (the image keeps it); null when it cannot be
    // made (the picture is too large).
    virtual cairo_surface_t* Surface() = 0;
    // GdiFlush: drawing done through contexts reaches the pixels that ReadRow and the
    // DIB buffer give. Nothing to do for a device image.
    virtual void Flush() {}

protected:
    Image(int width, int height) : width_(width), height_(height) {}

    // Drawing contexts bound to this image (ImageContext).
    int ContextCount() const { return contexts_; }
    virtual void ContextAttached() {}

private:
    friend class ImageContext;

    int width_;
    int height_;
    int contexts_ = 0;
};

// Large pixel buffers are filled row after row at once (a decode or a conversion writes
// a whole picture): asking for large pages spares thousands of page faults per picture.
// Only advice: the system may decline it and nothing changes then.
void AdviseLargePages(void* memory, std::size_t size);

// A new RGB24 surface of that size; null when cairo cannot make it or it would take
// more than kMaxPixelBytes.
SurfacePtr CreateRgbSurface(int width, int height);
// Row y of an RGB24 surface as 32-bit pixels.
std::uint32_t* SurfaceRow(cairo_surface_t* surface, int y);

}  // namespace orvalis::platform::raster
