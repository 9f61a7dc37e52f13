#include "framework/Button.h"

#include "classes/ClassBuilder.h"
#include "framework/Accelerator.h"
#include "framework/ControlLook.h"
#include "platform/Focus.h"
#include "platform/Menu.h"
#include "platform/VirtualKeys.h"

namespace orvalis {

const TClassInfo& TButton::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TButton, TCustomControl>("TButton")
                                       .Property("Cancel", &TButton::Cancel, &TButton::SetCancel)
                                       .Default(false)
                                       .Property("Caption", &TControl::Caption, &TControl::SetCaption)
                                       .Property("Default", &TButton::Default, &TButton::SetDefault)
                                       .Default(false)
                                       .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
                                       .Default(true)
                                       .Property("Font", &TControl::Font, &TControl::SetFont)
                                       .Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult)
                                       .Default(mrNone)
                                       .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
                                       .Default(true)
                                       .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
                                       .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                       .Default(true)
                                       .Property("Visible", &TControl::Visible, &TControl::SetVisible)
                                       .Default(true)
                                       .Property("OnClick", &TControl::OnClick)
                                       .Property("OnEnter", &TWinControl::OnEnter)
                                       .Property("OnExit", &TWinControl::OnExit)
                                       .Property("OnKeyDown", &TWinControl::OnKeyDown)
                                       .Property("OnKeyPress", &TWinControl::OnKeyPress)
                                       .Property("OnKeyUp", &TWinControl::OnKeyUp)
                                       .Property("OnMouseDown", &TControl::OnMouseDown)
                                       .Property("OnMouseMove", &TControl::OnMouseMove)
                                       .Property("OnMouseUp", &TControl::OnMouseUp);
    return info;
}

TButton::TButton(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 75, 25);
    SetColor(clBtnFace);
    SetTabStop(true);
    // A quick second click is a click of its own.
    SetControlStyle(csCaptureMouse | csClickEvents);
}

TButton::~TButton() = default;

void TButton::SetDefault(bool isDefault) {
    if (isDefault == default_) return;
    default_ = isDefault;
    Invalidate();
}

bool TButton::Active() const {
    if (Focused()) return true;
    const TWinControl* focus = FindControl(platform::GetFocus());
    const bool buttonFocused =
        dynamic_cast<const TButton*>(focus) != nullptr && GetParentForm(*focus) == GetParentForm(*this);
    return default_ && !buttonFocused;
}

void TButton::Click() {
    if (TCustomForm* form = GetParentForm(*this)) form->SetModalResult(modalResult_);
    TCustomControl::Click();
}

bool TButton::Pressed() const { return spaceDown_ || (HasControlState(csClicked) && mouseInside_); }

void TButton::InvalidateFormButtons() {
    TCustomForm* form = GetParentForm(*this);
    if (!form) {
        Invalidate();
        return;
    }
    std::vector<TWinControl*> controls;
    form->GetTabOrderList(controls);
    for (TWinControl* control : controls)
        if (dynamic_cast<TButton*>(control)) control->Invalidate();
}

void TButton::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_DIALOGKEY: {
            const auto key = static_cast<int>(message.WParam);
            if (((key == platform::VK_RETURN && Active()) || (key == platform::VK_ESCAPE && cancel_)) &&
                KeyboardShiftState() == 0 && CanFocus()) {
                Click();
                message.Result = 1;
                return;
            }
            break;
        }
        case CM_DIALOGCHAR:
            if (IsAccel(static_cast<char32_t>(message.WParam), Caption().View()) && CanFocus()) {
                Click();
                message.Result = 1;
                return;
            }
            break;
        case platform::WM_LBUTTONDOWN: mouseInside_ = true; break;
        case platform::WM_SETFOCUS:
        case platform::WM_KILLFOCUS:
            spaceDown_ = false;
            TCustomControl::WndProc(message);
            InvalidateFormButtons();
            return;
        default: break;
    }
    TCustomControl::WndProc(message);
}

void TButton::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    if (key == platform::VK_SPACE && !spaceDown_) {
        spaceDown_ = true;
        Invalidate();
    }
}

void TButton::KeyUp(std::uint16_t& key, TShiftState shift) {
    TCustomControl::KeyUp(key, shift);
    if (key == platform::VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        Invalidate();
        Click();
    }
}

void TButton::MouseMove(TShiftState shift, std::int32_t x, std::int32_t y) {
    TCustomControl::MouseMove(shift, x, y);
    const bool inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    if (inside != mouseInside_ && HasControlState(csClicked)) Invalidate();
    mouseInside_ = inside;
}

void TButton::MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
    TCustomControl::MouseUp(button, shift, x, y);
    Invalidate();
}

void TButton::Paint() {
    TCanvas& canvas = Canvas();
    TRect rect = ClientRect();
    canvas.FillRect(rect);
    const bool pressed = Pressed();
    canvas.Font().SetColor(Enabled() ? Font()->Color() : clGrayText);
    if (DrawThemedPart(canvas, rect, platform::ControlPart::Button,
                       {.disabled = !Enabled(), .pressed = pressed, .focused = Focused(), .isDefault = Active()})) {
        // The theme's face has its own pressed look and focus mark; the caption keeps
        // the place it has in the plain look.
        TRect text{rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
        canvas.DrawText(Caption().View(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    if (Active()) Frame3D(canvas, rect, cl3DDkShadow, cl3DDkShadow);
    if (pressed)
        Frame3D(canvas, rect, clBtnShadow, clBtnShadow);
    else
        DrawRaisedBevel(canvas, rect);

    TRect text = rect;
    if (pressed) text = {text.Left + 1, text.Top + 1, text.Right + 1, text.Bottom + 1};
    canvas.DrawText(Caption().View(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (Focused()) canvas.DrawFocusRect({rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2});
}

bool TButton::DescribeAccessible(platform::AccessibleElement& element) {
    element.role = platform::AccessibleRole::PushButton;
    element.name = platform::StripAccelerator(Caption().View());
    element.states.focusable = TabStop();
    element.states.focused = Focused();
    element.states.isDefault = default_;
    element.action = "click";
    return true;
}

void TButton::PerformAccessibleRequest(const platform::AccessibleRequest& request) {
    using Kind = platform::AccessibleRequest::Kind;
    if (request.kind != Kind::DoAction && request.kind != Kind::Focus) return;
    // A click gives the button the focus, then presses it.
    if (CanFocus()) SetFocus();
    if (request.kind == Kind::DoAction) Click();
}

}  // namespace orvalis
