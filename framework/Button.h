#pragma once
// TButton: a push button. A click on it, Space while it has the focus, Enter while it
// is the active button, Escape when it is the Cancel button, or its accelerator (the
// character after "&" in the Caption, offered to the form as a mnemonic) presses it:
// Click sets the form's ModalResult to the button's (which ends a modal form when it is
// not 0) and then runs OnClick.
//
// The active button is the one that has the focus; while no button of the form has it,
// the Default button is. Enter goes to the active button only without Shift, Ctrl or
// Alt, and so does Escape to the Cancel button. The active button shows a dark frame,
// the focused one a dotted focus rectangle, a pressed one a sunken bevel.

#include <cstdint>

#include "framework/CustomControl.h"
#include "framework/Form.h"

namespace orvalis {

class TButton : public TCustomControl {
    ORVALIS_TYPE_INFO(TButton)

public:
    // 75 × 25, a tab stop.
    explicit TButton(TComponent* owner);
    ~TButton() override;

    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool cancel) { cancel_ = cancel; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    // Whether Enter presses this button now.
    bool Active() const;

    // The form's ModalResult, then OnClick.
    void Click() override;

    void WndProc(TMessage& message) override;
    // A push button named by its caption; its action "click" does what a click does.
    bool DescribeAccessible(platform::AccessibleElement& element) override;
    void PerformAccessibleRequest(const platform::AccessibleRequest& request) override;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyUp(std::uint16_t& key, TShiftState shift) override;
    void MouseMove(TShiftState shift, std::int32_t x, std::int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) override;

private:
    // Whether the button shows pressed: held with Space, or with the mouse over it.
    bool Pressed() const;
    // The buttons of the form show who is active: all are repainted.
    void InvalidateFormButtons();

    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
    bool spaceDown_ = false;    // Space went down on it and is not up yet
    bool mouseInside_ = false;  // the mouse pressed on it is over it
};

}  // namespace orvalis
