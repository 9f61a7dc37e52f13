#pragma once
// The picture that a decoder fills row by row: the bottom-up DIB of 24 or 32 bits per
// pixel (BI_RGB) that setting a bitmap's pixel layout, width and height would make,
// less the white fill of every pixel, which the decoder's rows replace at once. A
// decoder that may stop before its last row makes the rows it never reached white
// itself, so that the bitmap ends as the fill would have left it. Its buffer may be the
// one of a picture of the same size let go of just before (DibImage::CreateUnfilled):
// a series of views reuses its pages.

#include <memory>

#include "platform/raster/DibImage.h"

namespace orvalis {

// Raises EOutOfResources when the picture cannot be made.
std::unique_ptr<platform::raster::DibImage> NewDecodedPicture(int width, int height, int bitCount);

}  // namespace orvalis
