#pragma once
// The records that describe raster images, with the original platform's layouts field by
// field: the 40-byte BITMAPINFOHEADER of a device-independent bitmap (DIB), its colour
// table entries, the BITMAP description of any image and the DIBSECTION description of
// a DIB. And the one computation of a row's size in bytes for the whole subsystem.

#include <array>
#include <cstdint>
#include <vector>

namespace orvalis::platform::raster {

// biCompression values.
inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t BI_RLE8 = 1;
inline constexpr std::uint32_t BI_RLE4 = 2;
inline constexpr std::uint32_t BI_BITFIELDS = 3;

// A colour table entry: blue, green, red, 0.
struct RgbQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;

    friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};
static_assert(sizeof(RgbQuad) == 4);

struct BitmapInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: rows stored bottom-up; negative: top-down
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// What every image reports of itself (BITMAP).
struct BitmapDescription {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 0;
    std::uint16_t bmBitsPixel = 0;
    void* bmBits = nullptr;
};

// What a DIB reports of itself (DIBSECTION). A device image fills only dsBm.
struct DibSection {
    BitmapDescription dsBm;
    BitmapInfoHeader dsBmih;
    std::array<std::uint32_t, 3> dsBitfields{};  // red, green, blue masks with BI_BITFIELDS
    std::uint32_t dshSection = 0;                // file mappings do not exist here: always 0
    std::uint32_t dsOffset = 0;
};

// How many bytes GetObject fills for a device image: the first seven fields.
inline constexpr std::size_t kBitmapDescriptionBytes = 24;

// A header with what follows it: the three masks (BI_BITFIELDS) or the colour table.
struct BitmapInfo {
    BitmapInfoHeader header;
    std::array<std::uint32_t, 3> masks{};
    std::vector<RgbQuad> colours;
};

// Bytes per row: width x bits per pixel rounded up to a multiple of `alignmentBits`
// (32 for DIBs and files, 16 for device images), divided by 8. 64-bit throughout, so
// that no width overflows it.
std::int64_t RowStride(std::int64_t width, int bitsPerPixel, int alignmentBits = 32);

// The largest pixel buffer made for one image: a row size times height beyond it is
// refused (it would be no picture anyone shows, and could exhaust the memory).
inline constexpr std::int64_t kMaxPixelBytes = std::int64_t(1) << 30;

// The masks a description means: its own with BI_BITFIELDS (zero ones completed with
// the 5-6-5 or 8-8-8 defaults), 5-5-5 for a 16-bit BI_RGB, 8-8-8 for 24 and 32 bits.
std::array<std::uint32_t, 3> EffectiveMasks(const BitmapInfoHeader& header, const std::array<std::uint32_t, 3>& masks);

}  // namespace orvalis::platform::raster
