#pragma once
// A device image: pixels in the screen's layout (CreateCompatibleBitmap), or a 1-bit
// monochrome image (CreateBitmap). Both keep their pixels in a cairo RGB24 surface; a
// device image reports the screen's bits per pixel (the headless backend's setting), a
// monochrome one 1 bit and holds only black and white. Their rows are described with
// 16-bit alignment, as device images are on the original platform.

#include <memory>
#include <span>

#include "platform/raster/BitmapInfo.h"
#include "platform/raster/Image.h"

namespace orvalis::platform::raster {

class DeviceImage final : public Image {
public:
    // Black images of that size; null for a size of 0 or a picture too large.
    static std::unique_ptr<DeviceImage> CreateCompatible(int width, int height);
    static std::unique_ptr<DeviceImage> CreateMonochrome(int width, int height);
    // CreateDIBitmap with initialisation from compressed bytes: a device image of the
    // header's size whose pixels are the RLE8 (8 bits) or RLE4 (4 bits) data mapped
    // through the colour table. Null for another compression, a top-down height,
    // damaged data or a picture too large.
    static std::unique_ptr<DeviceImage> CreateFromCompressed(const BitmapInfoHeader& header,
                                                             std::span<const RgbQuad> colours,
                                                             std::span<const std::uint8_t> data);

    int BitsPerPixel() const override { return bitsPerPixel_; }
    DibSection Describe() const override;
    void ReadRow(int y, std::uint32_t* pixels) override;
    void WriteRow(int y, const std::uint32_t* pixels) override;
    cairo_surface_t* Surface() override { return surface_.get(); }

private:
    DeviceImage(SurfacePtr surface, int bitsPerPixel);
    static std::unique_ptr<DeviceImage> Create(int width, int height, int bitsPerPixel);

    SurfacePtr surface_;
    int bitsPerPixel_;
};

}  // namespace orvalis::platform::raster
