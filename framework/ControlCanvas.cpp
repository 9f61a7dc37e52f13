#include "framework/ControlCanvas.h"

#include <algorithm>
#include <vector>

#include "classes/ClassBuilder.h"
#include "framework/WinControl.h"
#include "platform/Painting.h"
#include "runtime/ScopeGuard.h"

namespace orvalis {
namespace {

// The canvases that hold a window context (user-interface thread only).
std::vector<TControlCanvas*>& CanvasesWithWindowContexts() {
    static std::vector<TControlCanvas*> canvases;
    return canvases;
}

}  // namespace

const TClassInfo& TControlCanvas::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TControlCanvas, TCanvas>("TControlCanvas");
    return info;
}

TControlCanvas::TControlCanvas(TControl& control) : control_(control) {}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::PaintOn(cairo_t* context, const std::function<void()>& paint) {
    Lock();
    FreeHandle();
    SetHandle(context);
    SetFont(*control_.Font());
    Brush().SetColor(control_.Color());
    const ScopeGuard release([this] {
        SetHandle(nullptr);
        Unlock();
    });
    paint();
}

void TControlCanvas::CreateHandle() {
    auto* windowed = dynamic_cast<TWinControl*>(&control_);
    TWinControl* holder = windowed ? windowed : control_.Parent();
    if (!holder) return;
    const HWND window = holder->Handle();
    cairo_t* context = platform::GetDC(window);
    if (!context) return;
    if (!windowed) {
        cairo_translate(context, control_.Left(), control_.Top());
        cairo_rectangle(context, 0, 0, control_.Width(), control_.Height());
        cairo_clip(context);
    }
    SetHandle(context);
    window_ = window;
    windowContext_ = context;
    CanvasesWithWindowContexts().push_back(this);
}

void TControlCanvas::FreeHandle() {
    TCanvas::FreeHandle();
    if (!windowContext_) return;
    platform::ReleaseDC(window_, windowContext_);
    window_ = 0;
    windowContext_ = nullptr;
    std::erase(CanvasesWithWindowContexts(), this);
}

void FreeDeviceContexts() {
    const std::vector<TControlCanvas*> canvases = CanvasesWithWindowContexts();
    for (TControlCanvas* canvas : canvases) {
        if (!canvas->TryLock()) continue;
        canvas->FreeHandle();
        canvas->Unlock();
    }
}

}  // namespace orvalis
