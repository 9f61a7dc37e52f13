#pragma once
// TGraphicControl: a control without a window of its own (a label, an image). It shows
// through its parent's window: the parent hit-tests the mouse for it, and paints it in
// its own rectangle of the parent's client area, through the parent's drawing context.
//
// A subclass draws in Paint on Canvas, in its own client coordinates; the canvas has
// the control's font and its colour as brush when Paint starts. Invalidate and Update
// act on the control's rectangle of the parent; with csOpaque the parent does not erase
// the background under it first.

#include <memory>

#include "framework/Control.h"
#include "framework/ControlCanvas.h"

namespace orvalis {

class TGraphicControl : public TControl {
    ORVALIS_TYPE_INFO(TGraphicControl)

public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;

    TCanvas& Canvas() { return *canvas_; }
    void WndProc(TMessage& message) override;

protected:
    virtual void Paint();

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace orvalis
