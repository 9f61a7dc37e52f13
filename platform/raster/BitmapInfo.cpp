#include "platform/raster/BitmapInfo.h"

#include <cassert>

namespace orvalis::platform::raster {

std::int64_t RowStride(std::int64_t width, int bitsPerPixel, int alignmentBits) {
    assert(alignmentBits > 0 && (alignmentBits & (alignmentBits - 1)) == 0 && "a power of two");
    const std::int64_t bits = width * bitsPerPixel + (alignmentBits - 1);
    return (bits & ~std::int64_t(alignmentBits - 1)) / 8;
}

std::array<std::uint32_t, 3> EffectiveMasks(const BitmapInfoHeader& header, const std::array<std::uint32_t, 3>& masks) {
    const bool bitfields = header.biCompression == BI_BITFIELDS;
    if (bitfields && masks[0] != 0) return masks;
    if (header.biBitCount == 16)
        return bitfields ? std::array<std::uint32_t, 3>{0xF800, 0x07E0, 0x001F}
                         : std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0x00FF00, 0x0000FF};
}

}  // namespace orvalis::platform::raster
