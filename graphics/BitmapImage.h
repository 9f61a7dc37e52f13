#pragma once
// TBitmapImage: the shared record that holds a bitmap's pixels (TBitmap shares it between
// copies and copies it before a sharer changes it).
//
// Its images: the DIB (DIBHandle: the pixel buffer that RowPointer gives and that files
// are written from) and the device image (DeviceHandle: what drawing uses). Most of the
// time they are one image, the DIB; a separate device image exists for pictures made in
// the screen's layout (compressed files, StorageKind skDevice). Drawing a DIB goes
// through a cairo surface converted from the buffer once and kept with the DIB, so all
// sharers of the record share it. The record also keeps the transparency mask, the
// palette, the description of the DIB field by field, and, for a compressed file or a
// bitmap whose resources were released, the BMP file itself (SavedStream).

#include <memory>

#include "graphics/SharedImage.h"
#include "platform/raster/BitmapInfo.h"
#include "platform/raster/DibImage.h"
#include "platform/raster/Image.h"
#include "platform/raster/Palette.h"
#include "runtime/Stream.h"

namespace orvalis {

namespace raster = platform::raster;

class TBitmapImage final : public TSharedImage {
public:
    TBitmapImage() = default;
    ~TBitmapImage() override;

    // The image drawing uses; the DIB itself when the image exists only as a DIB; null
    // when there is none.
    raster::Image* DeviceHandle() const { return device_ ? device_.get() : deviceIsDib_ ? dib_.get() : nullptr; }
    raster::Image* MaskBitmapHandle() const { return mask_.get(); }
    const raster::PaletteHandle& PaletteHandle() const { return palette_; }
    raster::DibImage* DIBHandle() const { return dib_.get(); }
    // The description: bmType, bmWidth, bmHeight (never negative), bmWidthBytes,
    // bmPlanes, bmBitsPixel, bmBits (null without DIB), then the BITMAPINFOHEADER
    // (biSize 0 for a device image's description, else 40; biHeight positive for rows
    // stored bottom-up), the three masks, and the section handle and offset (unused).
    const raster::DibSection& DIB() const { return description_; }
    TMemoryStream* SavedStream() const { return savedStream_.get(); }
    // The image came from a BMP file with the 12-byte OS/2 header; it is written back so.
    bool OS2Format() const { return os2Format_; }
    // The palette is a generated halftone palette (not written to files).
    bool Halftone() const { return halftone_; }

protected:
    // Deletes the device image (when it is not the DIB), the mask and the palette.
    void ReleaseHandles() override;

private:
    friend class TBitmap;

    // The canvases drawing into `image` let it go (before it is destroyed).
    static void DetachFromCanvases(raster::Image* image);

    std::unique_ptr<raster::Image> device_;  // a device image of its own; null when drawing uses the DIB
    bool deviceIsDib_ = false;               // DeviceHandle is the DIB
    std::unique_ptr<raster::Image> mask_;
    raster::PaletteHandle palette_;
    std::unique_ptr<raster::DibImage> dib_;
    raster::DibSection description_;
    std::unique_ptr<TMemoryStream> savedStream_;
    bool os2Format_ = false;
    bool halftone_ = false;
};

}  // namespace orvalis
