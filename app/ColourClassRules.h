#pragma once
// The rules by which the colour count sorts a pixel into a class, shared by its ways of
// counting.

#include <cstdint>
#include <cstdlib>

#include "app/ColourCount.h"

namespace orvalis {

// A class made for a colour that fits none has this tolerance on each channel.
constexpr std::int32_t kNewClassTolerance = 10;
// A colour that fits no class makes one when R + G + B reaches this; a darker one counts
// in the first class.
constexpr int kDarkSumLimit = 200;
// The pixel word's colour; its top byte is ignored.
constexpr std::uint32_t kColourBits = 0x00FFFFFFu;

inline bool Fits(const ClasseCouleur& k, int red, int green, int blue) {
    return std::abs(k.r - red) < k.ecartR && std::abs(k.v - green) < k.ecartV && std::abs(k.b - blue) < k.ecartB;
}

// The channels of a pixel word, 0x00RRGGBB (the canvas's TColor reads 0x00BBGGRR: RedOf...).
inline int PixelRed(std::uint32_t colour) { return static_cast<int>(colour >> 16 & 0xFF); }
inline int PixelGreen(std::uint32_t colour) { return static_cast<int>(colour >> 8 & 0xFF); }
inline int PixelBlue(std::uint32_t colour) { return static_cast<int>(colour & 0xFF); }

inline bool IsDark(std::uint32_t colour) {
    return PixelRed(colour) + PixelGreen(colour) + PixelBlue(colour) < kDarkSumLimit;
}

// The class that a colour fitting none of the classes makes.
inline ClasseCouleur NewClassFor(std::uint32_t colour) {
    return {static_cast<std::uint8_t>(PixelRed(colour)),
            static_cast<std::uint8_t>(PixelGreen(colour)),
            static_cast<std::uint8_t>(PixelBlue(colour)),
            kNewClassTolerance,
            kNewClassTolerance,
            kNewClassTolerance,
            0};
}

}  // namespace orvalis
