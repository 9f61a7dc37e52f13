#pragma once
// TCustomControl: a windowed control that draws itself (the edit box, the button, the
// radio group): Paint on Canvas, in client coordinates, after the background was
// erased with the control's colour; the canvas has the control's font and colour when
// Paint starts. A left click gives it the focus when it can take it.

#include <memory>

#include "framework/ControlCanvas.h"
#include "framework/WinControl.h"

namespace orvalis {

class TCustomControl : public TWinControl {
    ORVALIS_TYPE_INFO(TCustomControl)

public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TCanvas& Canvas() { return *canvas_; }
    void WndProc(TMessage& message) override;

protected:
    virtual void Paint();
    void PaintWindow(cairo_t* context) override;

private:
    std::unique_ptr<TControlCanvas> canvas_;
};

}  // namespace orvalis
