#pragma once
// A JPEG file decoded away from the user-interface thread: the 24-bit picture that a
// JPEG image with the same settings decodes to (TJPEGImage::DecodeToBitmap), its rows
// written straight by the library into memory of its own. Nothing that belongs to the
// user-interface thread is touched: no bitmap, palette, clock or progress event. The
// finished picture is handed to a bitmap on the user-interface thread, which then holds
// what copying the decoded JPEG image into it would have left.

#include <atomic>
#include <memory>

#include "codecs/JpegSettings.h"
#include "platform/raster/DibImage.h"
#include "runtime/Stream.h"

namespace orvalis {

class TBitmap;

// Decodes the whole of `compressed`. None when the settings give 8-bit rows (their
// palette is a platform object). Raises EJPEG for a file the library refuses,
// EOutOfResources when the picture cannot be made, and EAbort as soon as `cancel` is
// set (checked between rows).
std::unique_ptr<platform::raster::DibImage> DecodeJpegPicture(TStream& compressed, const JpegDecodeSettings& settings,
                                                              const std::atomic<bool>& cancel);

// `target` shares a bitmap that holds `picture` (a picture of DecodeJpegPicture), as
// after target.CopyFromObject of the JPEG image that decoded it.
void AdoptJpegPicture(TBitmap& target, std::unique_ptr<platform::raster::DibImage> picture);

}  // namespace orvalis
