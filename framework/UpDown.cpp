#include "framework/UpDown.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "classes/ClassBuilder.h"
#include "framework/ControlLook.h"
#include "framework/Edit.h"
#include "runtime/TextConversions.h"

namespace orvalis {
namespace {

// The number that a text holds: blanks around an optional sign and decimal digits,
// nothing else, within 32 bits.
std::optional<std::int32_t> NumberIn(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

const TClassInfo& TUpDown::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TUpDown, TCustomControl>("TUpDown")
                                       .Property("ArrowKeys", &TUpDown::ArrowKeys, &TUpDown::SetArrowKeys)
                                       .Default(true)
                                       .Property("Associate", &TUpDown::Associate, &TUpDown::SetAssociate)
                                       .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
                                       .Default(true)
                                       .Property("Increment", &TUpDown::Increment, &TUpDown::SetIncrement)
                                       .Default(1)
                                       .Property("Max", &TUpDown::Max, &TUpDown::SetMax)
                                       .Default(100)
                                       .Property("Min", &TUpDown::Min, &TUpDown::SetMin)
                                       .Default(0)
                                       .Property("Orientation", &TUpDown::Orientation, &TUpDown::SetOrientation)
                                       .Default(udVertical)
                                       .Property("Position", &TUpDown::Position, &TUpDown::SetPosition)
                                       .Default(0)
                                       .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
                                       .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                       .Default(false)
                                       .Property("Visible", &TControl::Visible, &TControl::SetVisible)
                                       .Default(true)
                                       .Property("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap)
                                       .Default(false)
                                       .Property("OnClick", &TUpDown::OnClick);
    return info;
}

TUpDown::TUpDown(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 15, 21);
    SetColor(clBtnFace);
    // Each press steps once: a quick second press is a press, not a double click.
    SetControlStyle(csCaptureMouse);
}

TUpDown::~TUpDown() {
    if (auto* edit = dynamic_cast<TEdit*>(associate_)) edit->upDown_ = nullptr;
}

void TUpDown::SetAssociate(TWinControl* associate) {
    if (associate == associate_ || associate == this) return;
    if (auto* edit = dynamic_cast<TEdit*>(associate_)) edit->upDown_ = nullptr;
    associate_ = associate;
    if (auto* edit = dynamic_cast<TEdit*>(associate_)) {
        // An edit box has one up-down control: the one it had lets it go.
        if (edit->upDown_) edit->upDown_->associate_ = nullptr;
        edit->upDown_ = this;
    }
    if (!HasState(stateLoading)) ShowPosition();
}

void TUpDown::SetPosition(std::int32_t position) {
    // Read from a resource before Min and Max perhaps: kept as it is until the end.
    position_ = HasState(stateLoading) ? position : std::clamp(position, Lowest(), Highest());
    if (!HasState(stateLoading)) ShowPosition();
}

void TUpDown::SetOrientation(TUDOrientation orientation) {
    if (orientation == orientation_) return;
    orientation_ = orientation;
    Invalidate();
}

void TUpDown::LoadingFinished() {
    TCustomControl::LoadingFinished();
    SetPosition(position_);
}

void TUpDown::ShowPosition() {
    if (associate_) associate_->SetText(IntToStr(position_));
}

void TUpDown::Step(TUDBtnType button) {
    std::int32_t current = position_;
    if (associate_)
        if (const std::optional<std::int32_t> typed = NumberIn(associate_->Text().View()))
            current = std::clamp(*typed, Lowest(), Highest());
    std::int64_t next = std::int64_t{current} + (button == btNext ? increment_ : -std::int64_t{increment_});
    if (next > Highest())
        next = wrap_ ? Lowest() : Highest();
    else if (next < Lowest())
        next = wrap_ ? Highest() : Lowest();
    position_ = static_cast<std::int32_t>(next);
    ShowPosition();
    if (OnClick) OnClick(this, button);
}

TUDBtnType TUpDown::ButtonAt(std::int32_t x, std::int32_t y) const {
    if (orientation_ == udVertical) return y < Height() / 2 ? btNext : btPrev;
    return x >= Width() / 2 ? btNext : btPrev;
}

void TUpDown::WndProc(TMessage& message) {
    // A press steps without taking the focus from the edit box.
    if (message.Msg == platform::WM_LBUTTONDOWN) {
        TWinControl::WndProc(message);
        return;
    }
    TCustomControl::WndProc(message);
}

void TUpDown::MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft) return;
    pressed_ = true;
    pressedButton_ = ButtonAt(x, y);
    Invalidate();
    Step(pressedButton_);
}

void TUpDown::MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != mbLeft || !pressed_) return;
    pressed_ = false;
    Invalidate();
}

void TUpDown::Notification(TComponent& component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == operationRemove && &component == associate_) associate_ = nullptr;
}

void TUpDown::Paint() {
    TCanvas& canvas = Canvas();
    const bool vertical = orientation_ == udVertical;
    const TRect client = ClientRect();
    const TRect halves[] = {
        vertical ? TRect{0, 0, client.Right, client.Bottom / 2}
                 : TRect{client.Right / 2, 0, client.Right, client.Bottom},
        vertical ? TRect{0, client.Bottom / 2, client.Right, client.Bottom}
                 : TRect{0, 0, client.Right / 2, client.Bottom},
    };
    const TArrowDirection arrows[] = {vertical ? TArrowDirection::Up : TArrowDirection::Right,
                                      vertical ? TArrowDirection::Down : TArrowDirection::Left};
    for (TUDBtnType button : {btNext, btPrev}) {
        TRect rect = halves[button];
        canvas.FillRect(rect);
        const bool pressed = pressed_ && pressedButton_ == button;
        if (!DrawThemedPart(canvas, rect, platform::ControlPart::SpinButton,
                            {.disabled = !Enabled(), .pressed = pressed})) {
            if (pressed)
                DrawSunkenBevel(canvas, rect);
            else
                DrawRaisedBevel(canvas, rect);
        }
        DrawArrow(canvas, rect, arrows[button], Enabled());
    }
}

bool TUpDown::DescribeAccessible(platform::AccessibleElement& element) {
    // An edit box carries the value of the up-down attached to it (TEdit).
    if (dynamic_cast<const TEdit*>(associate_)) return false;
    element.role = platform::AccessibleRole::SpinButton;
    element.hasValue = true;
    element.value = {Lowest(), Highest(), position_};
    return true;
}

void TUpDown::PerformAccessibleRequest(const platform::AccessibleRequest& request) {
    if (request.kind == platform::AccessibleRequest::Kind::SetValue)
        SetPosition(std::clamp(request.value, Lowest(), Highest()));
}

}  // namespace orvalis
