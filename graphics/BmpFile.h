#pragma once
// BMP files: reading one into what a bitmap's image record holds, and writing one from a
// bitmap's DIB.
//
// The reader takes the 12-byte OS/2 core header (converted into a 40-byte header) and
// Windows info headers of 40 bytes or more (the fields beyond the first 40 are skipped;
// a header of 52 bytes or more holds the bit-field masks). Uncompressed and bit-field
// pixels go unchanged into a DIB of the file's layout; RLE8 and RLE4 pixels are decoded
// into a device image, and the whole file is kept in memory (the saved stream) so that
// it can be written back unchanged. Pixels are read right after the colour table,
// whatever bfOffBits says.
//
// Bad files are refused before anything is allocated for them: "Image bitmap incorrecte"
// (EInvalidGraphic) for a missing "BM", an info header cut short or shorter than 40 bytes,
// biPlanes other than 1, a bit count other than 1, 4, 8, 16, 24 or 32, a compression that
// does not fit the bit count (bit fields for 16 and 32 bits, RLE8 for 8, RLE4 for 4; no
// other), a width or height of 0, a height of -2^31, a compressed picture stored top-down,
// more than 256 colour-table entries, more than 1 GiB of pixels (row size times height),
// and compressed data that does not decode; "Erreur de lecture du flux" (EReadError) for a
// file that ends in the file header, the masks, the colour table or the pixels.

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "platform/raster/BitmapInfo.h"
#include "platform/raster/Image.h"
#include "platform/raster/Palette.h"
#include "runtime/Stream.h"

namespace orvalis {

namespace raster = platform::raster;

// What reading a file gives: the image (a DIB, or a device image for compressed data),
// the palette (of a compressed file's colour table, or of the optional colour table of
// a file of more than 8 bits per pixel), the description read from the image with the
// file's resolution and colour counts, the OS/2 flag, and the file itself for a
// compressed image.
struct TBmpContents {
    std::unique_ptr<raster::Image> image;
    raster::PaletteHandle palette;
    raster::DibSection description;
    bool os2Format = false;
    std::unique_ptr<TMemoryStream> savedStream;
};

// Reads a file of `length` (> 0) bytes at the stream's position.
TBmpContents ReadBmpFile(TStream& stream, std::int64_t length);

// What a file is written from: the 40-byte header as the record has it, the masks, the
// colour table to write, the pixels (biSizeImage bytes) and the form of the header.
struct TBmpImage {
    raster::BitmapInfoHeader header;
    std::array<std::uint32_t, 3> masks{};
    std::span<const raster::RgbQuad> colours;
    const std::uint8_t* bits = nullptr;
    bool os2Format = false;
};

// A Windows file with a 40-byte header (the masks after it when the bit count is above 8
// with bit fields, then the colour table), or an OS/2 file with a 12-byte header and a
// colour table of 3-byte entries, 2 to the bit count of them for 8 bits or fewer. With
// `withLength`, the file's size comes first as 32 bits (the form property "Data").
void WriteBmpFile(TStream& stream, const TBmpImage& image, bool withLength);

}  // namespace orvalis
