#pragma once
// Encoding of a 24-bit picture (blue, green, red bytes, the bitmap's layout) into JPEG
// bytes appended to a stream.

#include <cstddef>
#include <cstdint>

#include "codecs/JpegProgressMonitor.h"
#include "codecs/JpegSettings.h"
#include "runtime/Stream.h"

namespace orvalis {

// The rows of the picture to encode: the address of row 0 (the top row) and the
// distance in bytes from one row to the next (negative for a bottom-up bitmap).
struct JpegPicture {
    const std::uint8_t* First = nullptr;
    std::ptrdiff_t Step = 0;
    int Width = 0;
    int Height = 0;
};

// Writes the JPEG file of `picture` (non-empty) to `destination`: baseline at the given
// quality with the floating-point DCT, greyscale or progressive as asked. With a monitor,
// reports the starting stage before the first row, the running stage from the library,
// and the ending stage after the last byte. A failure ends the encoder before its
// exception leaves: EJPEG with the library's message code, or the exception of a
// progress handler. What was already written to `destination` is then incomplete: the
// caller discards it (on EAbort too).
void EncodeJpeg(const JpegPicture& picture, const JpegEncodeSettings& settings, TStream& destination,
                JpegProgressMonitor* monitor = nullptr);

}  // namespace orvalis
