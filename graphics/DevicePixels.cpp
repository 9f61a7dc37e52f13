#include "graphics/DevicePixels.h"

#include <algorithm>
#include <cmath>

#include "graphics/Canvas.h"

namespace orvalis {

DevicePixels::DevicePixels(TCanvas& canvas) : context_(canvas.Handle()) {
    double scaleX = 1, scaleY = 1;
    cairo_surface_get_device_scale(cairo_get_target(context_), &scaleX, &scaleY);
    scale_ = std::max(1, static_cast<int>(std::lround(scaleX)));
    cairo_save(context_);
    cairo_scale(context_, 1.0 / scale_, 1.0 / scale_);
}

DevicePixels::~DevicePixels() { cairo_restore(context_); }

}  // namespace orvalis
