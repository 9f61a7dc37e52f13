#pragma once
// Drawing in device pixels. A window of a high-density screen is drawn in units of
// several device pixels each (its surface's device scale, platform/Painting.h), so that
// text and lines are as sharp as the screen shows them. A DevicePixels scope makes the
// canvas's units the device's own pixels for as long as it lives: a picture drawn there
// at its own size shows one picture pixel on one device pixel, not enlarged.

#include <cairo.h>

namespace orvalis {

class TCanvas;

class DevicePixels {
public:
    explicit DevicePixels(TCanvas& canvas);
    ~DevicePixels();
    DevicePixels(const DevicePixels&) = delete;
    DevicePixels& operator=(const DevicePixels&) = delete;

    // Device pixels per unit of the canvas outside the scope: 1 on a bitmap or an
    // ordinary screen, 2 on a high-density one.
    int Scale() const { return scale_; }

private:
    cairo_t* context_;
    int scale_;
};

}  // namespace orvalis
