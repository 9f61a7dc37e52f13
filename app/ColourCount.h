#pragma once
// The colour count: every pixel of a 32-bit image sorted into colour classes within
// tolerances, and the report that the log file receives.

#include <cstdint>
#include <functional>
#include <vector>

#include "runtime/String.h"

namespace orvalis {

class TBitmap;

// One colour class: a reference colour, its tolerance per channel and its count.
struct ClasseCouleur {
    std::uint8_t r;
    std::uint8_t v;
    std::uint8_t b;
    std::int32_t ecartR;
    std::int32_t ecartV;
    std::int32_t ecartB;
    std::int32_t nb;
};

// The sixteen predefined classes, in list order, each with nb 0.
std::vector<ClasseCouleur> PredefinedColourClasses();

// Gives the pixels of row y (0 at the top): `width` words 0x??RRGGBB.
using PixelRowSource = std::function<const std::uint32_t*(int y)>;

// Classifies every pixel, rows top first and each row left to right: the first
// class that fits takes it; a pixel that fits none starts a new class when its
// R + G + B is at least 200, else it counts in class 1. The result lists the
// predefined classes, then the new ones in the order the scan met them.
std::vector<ClasseCouleur> CountColours(int width, int height, const PixelRowSource& rows);

// CountColours of a pl32Bit bitmap, its rows read through ReadOnlyRowPointer: a record
// shared with the picture shown stays shared.
std::vector<ClasseCouleur> CountBitmapColours(TBitmap& bitmap);

// The report: a line feed, "Fin de traitement", a line feed, then one line
// "N° %3d r=%3d v=%3d b=%3d nb=%d" per class, each ending with a line feed (UTF-8).
String FormatColourReport(const std::vector<ClasseCouleur>& classes);

}  // namespace orvalis
