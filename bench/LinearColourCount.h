#pragma once
// The colour count written the plain way, apart from the viewer's: every pixel tried
// against the class list from its first class, no memory of colours met. The benchmark
// checks that the viewer's fast count reports exactly what this gives.

#include <vector>

#include "app/ColourCount.h"

namespace orvalis::bench {

std::vector<ClasseCouleur> LinearColourCount(int width, int height, const PixelRowSource& rows);

}  // namespace orvalis::bench
