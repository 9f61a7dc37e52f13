#pragma once
// The description of an uncompressed (or `compression`) bottom-up DIB of a given size and
// depth, as the raster tests make their images.

#include <cstdint>

#include "platform/raster/DibImage.h"

namespace orvalis::platform::raster {

inline BitmapInfo Layout(int width, int height, int bitCount, std::uint32_t compression = BI_RGB) {
    BitmapInfo info;
    info.header.biSize = 40;
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = std::uint16_t(bitCount);
    info.header.biCompression = compression;
    return info;
}

}  // namespace orvalis::platform::raster
