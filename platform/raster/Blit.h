#pragma once
// Copying pixels: between images (BitBlt), filling an image (PatBlt), reading one pixel
// (GetPixel), and scaled copies of an image into a cairo drawing context (StretchBlt,
// and the masked copy that transparent drawing uses).

#include <cairo.h>

#include <cstdint>

#include "platform/Geometry.h"
#include "platform/raster/Image.h"

namespace orvalis::platform::raster {

// Raster operations: bits 16 to 23 hold the result for each combination of pattern
// (the brush, value 4), source (2) and destination (1).
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;
inline constexpr std::uint32_t SRCAND = 0x008800C6;
inline constexpr std::uint32_t SRCINVERT = 0x00660046;
inline constexpr std::uint32_t SRCERASE = 0x00440328;
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
inline constexpr std::uint32_t MERGECOPY = 0x00C000CA;
inline constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
inline constexpr std::uint32_t PATCOPY = 0x00F00021;
inline constexpr std::uint32_t PATPAINT = 0x00FB0A09;
inline constexpr std::uint32_t PATINVERT = 0x005A0049;
inline constexpr std::uint32_t DSTINVERT = 0x00550009;
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;

// The colours of a drawing context that blits use (0x00RRGGBB): a monochrome device
// source gives `text` for black and `background` for white; into a monochrome device
// destination, the pixels equal to `background` become white and all others black.
struct BlitColours {
    std::uint32_t text = 0x000000;
    std::uint32_t background = 0xFFFFFF;
};

// BitBlt SRCCOPY from the top-left corner of `source` into that of `destination`, over
// the width and height both have, through the destination's layout (colours missing
// from a colour table take the nearest entry).
void CopyImage(Image& destination, Image& source, const BlitColours& colours = {});

// PatBlt with a solid brush of that colour over the whole image.
void FillImage(Image& destination, std::uint32_t rgb);

// The colour of one pixel (x, y inside the image).
std::uint32_t GetPixel(Image& image, int x, int y);

// How a scaled copy picks its pixels: dropping rows and columns (the nearest pixel) or
// averaging them (halftone).
enum class StretchMode { DeleteScans, Halftone };

struct StretchSettings {
    std::uint32_t rop = SRCCOPY;
    StretchMode mode = StretchMode::DeleteScans;
    BlitColours colours;
    std::uint32_t brush = 0xFFFFFF;  // the pattern of the raster operations that use one
};

// StretchBlt: `sourceRect` of the image scaled into `destinationRect` of the context
// (its user space), inside the context's clip. An extent of opposite sign mirrors. False
// when the image's pixels cannot be shown (too large a picture). A DIB that keeps no
// drawing surface, copied with SRCCOPY at its own size onto an image surface, has its
// rows converted straight into the target's pixels; no surface of it is made.
bool StretchBlt(cairo_t* destination, const Rect& destinationRect, Image& source, const Rect& sourceRect,
                const StretchSettings& settings);

// The same copy where the monochrome `mask` (the size of the source) is black; the
// destination stays as it was where the mask is white.
bool MaskedStretchBlt(cairo_t* destination, const Rect& destinationRect, Image& source, const Rect& sourceRect,
                      Image& mask, StretchMode mode);

}  // namespace orvalis::platform::raster
