#include "codecs/DecodedPicture.h"

#include "runtime/Exceptions.h"
#include "runtime/ResourceStrings.h"

namespace orvalis {

std::unique_ptr<platform::raster::DibImage> NewDecodedPicture(int width, int height, int bitCount) {
    namespace raster = platform::raster;
    raster::BitmapInfo info;
    info.header.biSize = 40;
    info.header.biWidth = width;
    info.header.biHeight = height;  // bottom-up, as a resized bitmap is
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<std::uint16_t>(bitCount);
    info.header.biCompression = raster::BI_RGB;
    std::unique_ptr<raster::DibImage> picture = raster::DibImage::CreateUnfilled(info);
    if (!picture) throw EOutOfResources(ResId::OutOfSystemResources);
    return picture;
}

}  // namespace orvalis
