#include "framework/CustomControl.h"

#include "classes/ClassBuilder.h"

namespace orvalis {

const TClassInfo& TCustomControl::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TCustomControl, TWinControl>("TCustomControl");
    return info;
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>(*this)) {}

TCustomControl::~TCustomControl() {
    // The canvas lets its context go while the window still exists.
    canvas_.reset();
}

void TCustomControl::WndProc(TMessage& message) {
    if (message.Msg == platform::WM_LBUTTONDOWN && !Focused() && CanFocus()) SetFocus();
    TWinControl::WndProc(message);
}

void TCustomControl::PaintWindow(cairo_t* context) {
    canvas_->PaintOn(context, [this] { Paint(); });
}

void TCustomControl::Paint() {}

}  // namespace orvalis
