#pragma once
// Palettes: a list of at most 256 colours. A palette never changes once made, so that
// holders can share one (PaletteHandle); each CreatePalette or CopyPalette makes a new
// one, which compares unequal to every other. The screens this platform draws on are
// true colour, so selecting and realising a palette for a drawing context has no effect
// and exists as no call at all: palettes matter here for the colour tables of DIBs.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/raster/BitmapInfo.h"

namespace orvalis::platform::raster {

// A palette entry: red, green, blue, flags.
struct PaletteEntry {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;

    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

inline constexpr std::size_t kMaxPaletteEntries = 256;

class Palette {
public:
    explicit Palette(std::vector<PaletteEntry> entries);

    std::span<const PaletteEntry> Entries() const { return entries_; }
    std::size_t Size() const { return entries_.size(); }

private:
    std::vector<PaletteEntry> entries_;
};

using PaletteHandle = std::shared_ptr<const Palette>;

// A new palette of these entries (at most 256 are kept).
PaletteHandle CreatePalette(std::span<const PaletteEntry> entries);
// A new palette with the same entries; none for none.
PaletteHandle CopyPalette(const PaletteHandle& palette);
// The 16-colour system palette: one process-wide palette, never destroyed.
const PaletteHandle& SystemPalette16();
// A new halftone palette: the 16 system colours, a 6 x 6 x 6 colour cube and 24 greys
// between the cube's greys (256 entries).
PaletteHandle CreateHalftonePalette();

// Conversions between palette entries and colour table entries.
RgbQuad ToRgbQuad(const PaletteEntry& entry);
PaletteEntry ToPaletteEntry(const RgbQuad& quad);
std::vector<RgbQuad> ColourTableOf(const Palette& palette);

// The colour table the platform gives a DIB of `bitCount` bits (1, 4 or 8) made from an
// image without one: black and white, the 16 system colours, the halftone colours.
std::vector<RgbQuad> DefaultColourTable(int bitCount);

// A colour as 0x00RRGGBB.
inline std::uint32_t RgbOf(const RgbQuad& quad) {
    return std::uint32_t(quad.rgbRed) << 16 | std::uint32_t(quad.rgbGreen) << 8 | quad.rgbBlue;
}

}  // namespace orvalis::platform::raster
