#pragma once
// TRect: a rectangle given by its left, top, right and bottom coordinates; the
// right and bottom edges lie just outside it.

#include <cstdint>

namespace orvalis {

struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

}  // namespace orvalis
