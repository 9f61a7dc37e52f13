#pragma once
// Internal: the cairo regions and surfaces that the platform layer owns.

#include <cairo.h>

#include <memory>

#include "platform/Geometry.h"

namespace orvalis::platform::detail {

struct RegionDeleter {
    void operator()(cairo_region_t* region) const { cairo_region_destroy(region); }
};
using RegionPtr = std::unique_ptr<cairo_region_t, RegionDeleter>;
struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

inline RegionPtr MakeRegion(const Rect& rect) {
    cairo_rectangle_int_t r{rect.left, rect.top, rect.Width(), rect.Height()};
    return RegionPtr(rect.IsEmpty() ? cairo_region_create() : cairo_region_create_rectangle(&r));
}

}  // namespace orvalis::platform::detail
