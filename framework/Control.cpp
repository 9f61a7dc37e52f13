#include "framework/Control.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "classes/ClassBuilder.h"
#include "framework/Application.h"
#include "framework/Form.h"
#include "framework/Menu.h"
#include "framework/Screen.h"
#include "framework/WinControl.h"
#include "platform/Focus.h"
#include "platform/Painting.h"
#include "platform/VirtualKeys.h"

namespace orvalis {
namespace {

// The control that took the mouse capture, and the window that holds the platform's
// capture for it (its own, or its parent's for a windowless control).
TControl* captureControl = nullptr;
HWND captureWindow = 0;

TShiftState MouseShiftState(WPARAM keys) {
    TShiftState shift = 0;
    if (keys & platform::MK_SHIFT) shift |= ssShift;
    if (keys & platform::MK_CONTROL) shift |= ssCtrl;
    if (keys & platform::MK_LBUTTON) shift |= ssLeft;
    if (keys & platform::MK_RBUTTON) shift |= ssRight;
    if (keys & platform::MK_MBUTTON) shift |= ssMiddle;
    if (platform::GetKeyState(platform::VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

}  // namespace

TShiftState KeyboardShiftState() {
    TShiftState shift = 0;
    if (platform::GetKeyState(platform::VK_SHIFT) < 0) shift |= ssShift;
    if (platform::GetKeyState(platform::VK_CONTROL) < 0) shift |= ssCtrl;
    if (platform::GetKeyState(platform::VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

const TClassInfo& TControl::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TControl, TComponent>("TControl")
                                       .Property("Left", &TControl::Left, &TControl::SetLeft)
                                       .Property("Top", &TControl::Top, &TControl::SetTop)
                                       .Property("Width", &TControl::Width, &TControl::SetWidth)
                                       .Property("Height", &TControl::Height, &TControl::SetHeight);
    return info;
}

TControl::TControl(TComponent* owner)
    : TComponent(owner), constraints_(std::make_unique<TSizeConstraints>()), font_(std::make_unique<TFont>()) {
    constraints_->SetOnChange(TNotifyEvent(this, &TControl::ConstraintsChanged));
    font_->SetOnChange(TNotifyEvent(this, &TControl::FontObjectChanged));
}

TControl::~TControl() {
    if (captureControl == this) {
        if (MouseCapture()) platform::ReleaseCapture();
        captureControl = nullptr;
        captureWindow = 0;
    }
    if (Application) Application->ControlDestroyed(*this);
    if (parent_) parent_->RemoveControl(*this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    assert(parent != this && "a control is not its own parent");
    if (parent_) parent_->RemoveControl(*this);
    if (parent) parent->InsertControl(*this);
    RememberAnchorOrigin();
}

void TControl::SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    ConstrainSize(width, height);
    if (left == left_ && top == top_ && width == width_ && height == height_) {
        RememberAnchorOrigin();
        return;
    }
    InvalidateInParent(BoundsRect(), true);
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    RememberAnchorOrigin();
    Invalidate();
    RequestAlign();
}

void TControl::ConstrainSize(std::int32_t& width, std::int32_t& height) const {
    width = constraints_->ConstrainWidth(width);
    height = constraints_->ConstrainHeight(height);
}

void TControl::ConstraintsChanged(TObject*) { SetBounds(left_, top_, width_, height_); }

void TControl::SetAnchors(TAnchors anchors) {
    anchors_ = anchors;
    RememberAnchorOrigin();
}

void TControl::RememberAnchorOrigin() {
    // While the control is read its bounds and its parent's size are not final yet: the
    // origin is taken when the reading is finished.
    if (!parent_ || HasState(stateLoading) || parent_->Aligning()) return;
    anchorOrigin_ = {BoundsRect(), parent_->ClientWidth(), parent_->ClientHeight()};
}

TRect TControl::AnchoredBounds(std::int32_t parentWidth, std::int32_t parentHeight) const {
    // One dimension: the start and the size, from those of the origin.
    const auto place = [](std::int32_t start, std::int32_t size, std::int32_t oldExtent, std::int32_t newExtent,
                          bool nearSide, bool farSide) -> std::pair<std::int32_t, std::int32_t> {
        const std::int32_t change = newExtent - oldExtent;
        if (nearSide && farSide) return {start, std::max(0, size + change)};
        if (farSide) return {start + change, size};
        if (nearSide || oldExtent <= 0) return {start, size};
        // Neither side: the centre stays at the same proportion of the parent.
        const double centre = (start + size / 2.0) * newExtent / oldExtent;
        return {static_cast<std::int32_t>(std::lround(centre - size / 2.0)), size};
    };
    const AnchorOrigin& origin = anchorOrigin_;
    const auto [left, width] = place(origin.bounds.Left, origin.bounds.Width(), origin.parentWidth, parentWidth,
                                     anchors_ & AnchorBit(akLeft), anchors_ & AnchorBit(akRight));
    const auto [top, height] = place(origin.bounds.Top, origin.bounds.Height(), origin.parentHeight, parentHeight,
                                     anchors_ & AnchorBit(akTop), anchors_ & AnchorBit(akBottom));
    return {left, top, left + width, top + height};
}

void TControl::SetClientWidth(std::int32_t width) { SetWidth(width + width_ - ClientWidth()); }

void TControl::SetClientHeight(std::int32_t height) { SetHeight(height + height_ - ClientHeight()); }

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    RequestAlign();
}

void TControl::SetAutoSize(bool autoSize) {
    if (autoSize == autoSize_) return;
    autoSize_ = autoSize;
    AdjustSize();
}

TPoint TControl::ClientToScreen(TPoint point) const {
    assert(parent_ && "a windowless control is on the screen through its parent");
    return parent_->ClientToScreen({point.X + left_, point.Y + top_});
}

TPoint TControl::ScreenToClient(TPoint point) const {
    const TPoint origin = ClientToScreen({0, 0});
    return {point.X - origin.X, point.Y - origin.Y};
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    if (!visible) InvalidateInParent(BoundsRect(), true);
    visible_ = visible;
    VisibleChanged();
    RequestAlign();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

void TControl::SetText(const String& text) {
    if (text == text_) return;
    text_ = text;
    TextChanged();
}

void TControl::SetColor(TColor color) {
    if (color == color_) {
        parentColor_ = false;
        return;
    }
    color_ = color;
    parentColor_ = false;
    ColorChanged();
}

void TControl::SetParentColor(bool parentColor) {
    if (parentColor == parentColor_) return;
    parentColor_ = parentColor;
    if (parentColor_ && parent_ && !HasState(stateReading)) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool parentFont) {
    if (parentFont == parentFont_) return;
    parentFont_ = parentFont;
    if (parentFont_ && parent_ && !HasState(stateReading)) Perform(CM_PARENTFONTCHANGED);
}

void TControl::FontObjectChanged(TObject*) {
    parentFont_ = false;
    FontChanged();
}

void TControl::Invalidate() {
    // An opaque control paints all of its area: nothing need be erased under it.
    if (visible_) InvalidateInParent(BoundsRect(), (style_ & csOpaque) == 0);
}

void TControl::InvalidateInParent(const TRect& bounds, bool erase) {
    if (!parent_ || !parent_->HandleAllocated()) return;
    const platform::Rect area{bounds.Left, bounds.Top, bounds.Right, bounds.Bottom};
    platform::InvalidateRect(parent_->Handle(), &area, erase);
}

void TControl::Update() {
    if (parent_) parent_->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

LRESULT TControl::Perform(std::uint32_t message, WPARAM wParam, LPARAM lParam) {
    TMessage m{message, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& message) {
    switch (message.Msg) {
        case platform::WM_LBUTTONDOWN: ButtonDown(message, mbLeft, false); break;
        case platform::WM_LBUTTONDBLCLK: ButtonDown(message, mbLeft, true); break;
        case platform::WM_RBUTTONDOWN: ButtonDown(message, mbRight, false); break;
        case platform::WM_RBUTTONDBLCLK: ButtonDown(message, mbRight, true); break;
        case platform::WM_MBUTTONDOWN: ButtonDown(message, mbMiddle, false); break;
        case platform::WM_MBUTTONDBLCLK: ButtonDown(message, mbMiddle, true); break;
        case platform::WM_LBUTTONUP: ButtonUp(message, mbLeft); break;
        case platform::WM_RBUTTONUP: ButtonUp(message, mbRight); break;
        case platform::WM_MBUTTONUP: ButtonUp(message, mbMiddle); break;
        case platform::WM_MOUSEMOVE: {
            const platform::Point point = platform::PointFromLParam(message.LParam);
            MouseMove(MouseShiftState(message.WParam), point.x, point.y);
            break;
        }
        case platform::WM_CANCELMODE:
            if (MouseCapture()) SetMouseCapture(false);
            ExcludeControlState(csClicked);
            break;
        case CM_MOUSEENTER:
            if (OnMouseEnter) OnMouseEnter(this);
            return;
        case CM_MOUSELEAVE:
            if (OnMouseLeave) OnMouseLeave(this);
            return;
        case CM_PARENTCOLORCHANGED:
            if (parentColor_ && parent_) {
                SetColor(parent_->Color());
                parentColor_ = true;
            }
            return;
        case CM_PARENTFONTCHANGED:
            if (parentFont_ && parent_) {
                SetFont(parent_->Font());
                parentFont_ = true;
            }
            return;
        default: break;
    }
    DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::Notification(TComponent& component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == operationRemove && popupMenu_ && &component == static_cast<TComponent*>(popupMenu_))
        popupMenu_ = nullptr;
}

void TControl::ButtonDown(TMessage& message, TMouseButton button, bool doubleClick) {
    // Without csDoubleClicks the second press of a double click is a press like the first.
    doubleClick = doubleClick && (style_ & csDoubleClicks);
    if (button == mbLeft) {
        if (style_ & csCaptureMouse) SetMouseCapture(true);
        // The release after a double click makes no click of its own.
        if (doubleClick) {
            if (style_ & csClickEvents) DblClick();
        } else if (style_ & csClickEvents) {
            IncludeControlState(csClicked);
        }
    }
    const platform::Point point = platform::PointFromLParam(message.LParam);
    MouseDown(button, MouseShiftState(message.WParam) | (doubleClick ? ssDouble : 0), point.x, point.y);
}

void TControl::ButtonUp(TMessage& message, TMouseButton button) {
    const platform::Point point = platform::PointFromLParam(message.LParam);
    if (button == mbLeft) {
        if (style_ & csCaptureMouse) SetMouseCapture(false);
        if (HasControlState(csClicked)) {
            ExcludeControlState(csClicked);
            const TRect client = ClientRect();
            if (point.x >= client.Left && point.x < client.Right && point.y >= client.Top && point.y < client.Bottom)
                Click();
        }
    }
    MouseUp(button, MouseShiftState(message.WParam), point.x, point.y);
    // A right click asks for the control's pop-up menu, which this platform does not
    // show: the handler may do what it likes instead.
    if (button == mbRight && OnContextPopup) {
        bool handled = false;
        OnContextPopup(this, TPoint{point.x, point.y}, handled);
    }
}

bool TControl::MouseCapture() const { return CaptureControl() == this; }

void TControl::SetMouseCapture(bool capture) {
    if (capture == MouseCapture()) return;
    if (!capture) {
        captureControl = nullptr;
        captureWindow = 0;
        platform::ReleaseCapture();
        return;
    }
    auto* windowed = dynamic_cast<TWinControl*>(this);
    TWinControl* holder = windowed ? windowed : parent_;
    if (!holder) return;
    captureControl = this;
    captureWindow = holder->Handle();
    platform::SetCapture(captureWindow);
}

// A capture that the platform took away (another window, a release) is no longer the control's.
TControl* CaptureControl() {
    return captureWindow && platform::GetCapture() == captureWindow ? captureControl : nullptr;
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

bool TControl::DescribeAccessible(platform::AccessibleElement&) { return false; }

void TControl::PerformAccessibleRequest(const platform::AccessibleRequest&) {}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
    if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, std::int32_t x, std::int32_t y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::VisibleChanged() {
    if (visible_) Invalidate();
}

void TControl::EnabledChanged() { Invalidate(); }

void TControl::TextChanged() {
    AdjustSize();
    Invalidate();
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::FontChanged() {
    AdjustSize();
    Invalidate();
}

bool TControl::CanAutoSize(std::int32_t&, std::int32_t&) { return false; }

void TControl::AdjustSize() {
    if (!autoSize_ || HasState(stateLoading)) return;
    std::int32_t width = width_;
    std::int32_t height = height_;
    if (CanAutoSize(width, height)) SetBounds(left_, top_, width, height);
}

void TControl::RequestAlign() {
    if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::AttachToParent(TComponent* parent) { SetParent(dynamic_cast<TWinControl*>(parent)); }

TComponent* TControl::ParentComponent() const { return parent_; }

void TControl::LoadingFinished() {
    TComponent::LoadingFinished();
    if (parent_) {
        if (parentColor_) Perform(CM_PARENTCOLORCHANGED);
        if (parentFont_) Perform(CM_PARENTFONTCHANGED);
    }
    AdjustSize();
    RememberAnchorOrigin();
}

TCustomForm* GetParentForm(const TControl& control) {
    const TControl* root = &control;
    while (root->Parent()) root = root->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(root));
}

}  // namespace orvalis
