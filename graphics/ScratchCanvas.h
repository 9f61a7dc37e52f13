#pragma once
// A canvas on the platform's scratch surface, for measuring text where no window should
// be touched: a window's canvas shows the window again when it is let go of, and a
// measure taken at every wait (describing controls to assistive tools) would then keep
// the program redrawing while it should sit idle.

#include <cairo.h>

#include "graphics/Canvas.h"

namespace orvalis {

class TScratchCanvas {
public:
    TScratchCanvas();
    ~TScratchCanvas();
    TScratchCanvas(const TScratchCanvas&) = delete;
    TScratchCanvas& operator=(const TScratchCanvas&) = delete;

    TCanvas& Canvas() { return canvas_; }

private:
    cairo_t* context_;
    TCanvas canvas_;
};

}  // namespace orvalis
