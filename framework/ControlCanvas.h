#pragma once
// TControlCanvas: the canvas of a control. While the control paints, it draws on the
// context of the paint; outside painting it takes a context on the control's window
// when first needed (for a windowless control, on its parent's window, moved to the
// control and clipped to it), which is given back after the message that needed it
// (FreeDeviceContexts, run by every windowed control's window procedure).

#include <functional>

#include "framework/ControlMessages.h"
#include "graphics/Canvas.h"

namespace orvalis {

class TControl;

class TControlCanvas : public TCanvas {
    ORVALIS_TYPE_INFO(TControlCanvas)

public:
    explicit TControlCanvas(TControl& control);
    ~TControlCanvas() override;

    TControl& Control() const { return control_; }
    // Lends the canvas a paint's context while `paint` runs, with the control's font and
    // its colour as brush; the canvas is locked meanwhile.
    void PaintOn(cairo_t* context, const std::function<void()>& paint);
    // Gives a window context back to its window; a paint's context is only let go.
    void FreeHandle() override;

protected:
    void CreateHandle() override;

private:
    TControl& control_;
    HWND window_ = 0;                   // the window whose context the canvas took
    cairo_t* windowContext_ = nullptr;  // that context, given back with ReleaseDC
};

// Gives back the window contexts of the control canvases that no one is drawing with.
void FreeDeviceContexts();

}  // namespace orvalis
