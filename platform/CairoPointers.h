#pragma once
// Owning pointers to what cairo makes: each frees its object once, on every path, so
// that no caller destroys one by hand. A shared object (a surface or context that
// someone else also holds) is owned here through its own reference (cairo_reference).

#include <cairo.h>

#include <memory>

#include "platform/Geometry.h"

namespace orvalis::platform {

// The deleter of one cairo type: its own destroy function.
template <auto Destroy>
struct CairoDestroy {
    template <typename Object>
    void operator()(Object* object) const {
        Destroy(object);
    }
};

using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoDestroy<cairo_surface_destroy>>;
using ContextPtr = std::unique_ptr<cairo_t, CairoDestroy<cairo_destroy>>;
using PatternPtr = std::unique_ptr<cairo_pattern_t, CairoDestroy<cairo_pattern_destroy>>;
using RegionPtr = std::unique_ptr<cairo_region_t, CairoDestroy<cairo_region_destroy>>;
using RectangleListPtr = std::unique_ptr<cairo_rectangle_list_t, CairoDestroy<cairo_rectangle_list_destroy>>;
using FontOptionsPtr = std::unique_ptr<cairo_font_options_t, CairoDestroy<cairo_font_options_destroy>>;

inline RegionPtr MakeRegion(const Rect& rect) {
    cairo_rectangle_int_t r{rect.left, rect.top, rect.Width(), rect.Height()};
    return RegionPtr(rect.IsEmpty() ? cairo_region_create() : cairo_region_create_rectangle(&r));
}

}  // namespace orvalis::platform
