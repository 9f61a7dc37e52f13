#pragma once
// The conversion of colours to 0x00BBGGRR. A system colour (0x80000000 plus an index:
// clBtnFace, clWindowText, ...) takes the desktop theme's value when the platform has a
// theme that gives it (platform/ControlTheme.h), else its value in one table, a plain
// light look that is the same on every machine; any other colour is returned as it is.

#include <cstdint>

#include "classes/Color.h"

namespace orvalis {

// The explicit colour of `color`: system colours resolved, others unchanged (clNone
// and clDefault included: the caller decides what they mean). A system index that the
// table does not know gives black.
TColor ColourToRGB(TColor color);

// The three components of an explicit colour (the high byte, palette flags, ignored).
constexpr std::uint8_t RedOf(TColor rgb) { return static_cast<std::uint8_t>(rgb & 0xFF); }
constexpr std::uint8_t GreenOf(TColor rgb) { return static_cast<std::uint8_t>((rgb >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColor rgb) { return static_cast<std::uint8_t>((rgb >> 16) & 0xFF); }
constexpr TColor RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<TColor>(red | (green << 8) | (blue << 16));
}

}  // namespace orvalis
