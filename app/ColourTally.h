#pragma once
// The colour count of a large image on every processor core. The image is cut into
// bands of rows; each band, on a thread of its own, tallies the colours it holds (how
// many pixels, the first and the last); the tallies are then read in the order the
// colours first appear in the image and sorted into classes as the scan in order would
// sort them.
//
// That gives the scan's result whenever each colour stays in one class. A colour that
// fits a class stays in it, and a light colour that fits none makes its own class; only
// a dark colour that fitted none can change class, when a class that fits it is made
// after its first pixel and before its last. The tallies cannot tell how many of its
// pixels came before that class: the count then gives up, and the caller counts in order.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "app/ColourCount.h"

namespace orvalis {

// The classes of the image whose rows, top first, are `rows` (each `width` pixels),
// counted in `bands` bands at once; none when a dark colour changed class in the middle
// of its pixels (see above).
std::optional<std::vector<ClasseCouleur>> CountColoursInBands(int width, std::span<const std::uint32_t* const> rows,
                                                              int bands);

}  // namespace orvalis
