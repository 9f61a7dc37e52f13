#include "framework/GraphicControl.h"

#include "classes/ClassBuilder.h"
#include "platform/Messages.h"

namespace orvalis {

const TClassInfo& TGraphicControl::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TGraphicControl, TControl>("TGraphicControl");
    return info;
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>(*this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& message) {
    // The parent's paint: wParam is its context, moved to this control and clipped to it.
    if (message.Msg == platform::WM_PAINT && message.WParam != 0) {
        canvas_->PaintOn(reinterpret_cast<cairo_t*>(message.WParam), [this] { Paint(); });
        return;
    }
    TControl::WndProc(message);
}

void TGraphicControl::Paint() {}

}  // namespace orvalis
