#include "platform/raster/DeviceImage.h"

#include <algorithm>
#include <cassert>

#include "platform/raster/Palette.h"
#include "platform/raster/RleDecoder.h"
#include "platform/raster/Screen.h"

namespace orvalis::platform::raster {

namespace {

// Monochrome pixels are black or white: the nearer of the two.
std::uint32_t BlackOrWhite(std::uint32_t rgb) {
    const unsigned sum = (rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF);
    return sum >= 384 ? 0xFFFFFF : 0;
}

}  // namespace

std::unique_ptr<DeviceImage> DeviceImage::Create(int width, int height, int bitsPerPixel) {
    SurfacePtr surface = CreateRgbSurface(width, height);
    if (!surface) return nullptr;
    return std::unique_ptr<DeviceImage>(new DeviceImage(std::move(surface), bitsPerPixel));
}

std::unique_ptr<DeviceImage> DeviceImage::CreateCompatible(int width, int height) {
    return Create(width, height, ScreenBitsPerPixel());
}

std::unique_ptr<DeviceImage> DeviceImage::CreateMonochrome(int width, int height) { return Create(width, height, 1); }

std::unique_ptr<DeviceImage> DeviceImage::CreateFromCompressed(const BitmapInfoHeader& header,
                                                               std::span<const RgbQuad> colours,
                                                               std::span<const std::uint8_t> data) {
    const bool rle8 = header.biCompression == BI_RLE8 && header.biBitCount == 8;
    const bool rle4 = header.biCompression == BI_RLE4 && header.biBitCount == 4;
    if (!(rle8 || rle4) || header.biWidth <= 0 || header.biHeight <= 0) return nullptr;
    auto image = CreateCompatible(header.biWidth, header.biHeight);
    if (!image) return nullptr;
    const auto indices = DecodeRle(rle8 ? RleKind::Rle8 : RleKind::Rle4, data, header.biWidth, header.biHeight);
    if (!indices) return nullptr;

    std::uint32_t table[256] = {};
    for (std::size_t i = 0; i < std::min<std::size_t>(colours.size(), 256); ++i) table[i] = RgbOf(colours[i]);
    const std::size_t width = std::size_t(header.biWidth);
    for (int y = 0; y < header.biHeight; ++y) {
        std::uint32_t* row = SurfaceRow(image->surface_.get(), y);
        const std::uint8_t* source = indices->data() + std::size_t(y) * width;
        for (std::size_t x = 0; x < width; ++x) row[x] = table[source[x]];
    }
    cairo_surface_mark_dirty(image->surface_.get());
    return image;
}

DeviceImage::DeviceImage(SurfacePtr surface, int bitsPerPixel)
    : Image(cairo_image_surface_get_width(surface.get()), cairo_image_surface_get_height(surface.get())),
      surface_(std::move(surface)),
      bitsPerPixel_(bitsPerPixel) {}

DibSection DeviceImage::Describe() const {
    DibSection section;
    section.dsBm = {
        0,      Width(), Height(), std::int32_t(RowStride(Width(), bitsPerPixel_, 16)), 1, std::uint16_t(bitsPerPixel_),
        nullptr};
    return section;
}

void DeviceImage::ReadRow(int y, std::uint32_t* pixels) {
    assert(y >= 0 && y < Height());
    cairo_surface_flush(surface_.get());
    const std::uint32_t* row = SurfaceRow(surface_.get(), y);
    for (int x = 0; x < Width(); ++x) pixels[x] = bitsPerPixel_ == 1 ? BlackOrWhite(row[x]) : row[x] & 0xFFFFFF;
}

void DeviceImage::WriteRow(int y, const std::uint32_t* pixels) {
    assert(y >= 0 && y < Height());
    cairo_surface_flush(surface_.get());
    std::uint32_t* row = SurfaceRow(surface_.get(), y);
    for (int x = 0; x < Width(); ++x) row[x] = bitsPerPixel_ == 1 ? BlackOrWhite(pixels[x]) : pixels[x] & 0xFFFFFF;
    cairo_surface_mark_dirty_rectangle(surface_.get(), 0, y, Width(), 1);
}

}  // namespace orvalis::platform::raster
