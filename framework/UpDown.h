#pragma once
// TUpDown: the pair of arrow buttons that steps a number between Min and Max by
// Increment. A press on the upper half (the right half of a horizontal one) steps up
// (btNext), on the lower (left) half down (btPrev); so do Up and Down in the
// associated edit box (ArrowKeys). A step first reads the associated control's text
// when it is a number (the user may have typed one), clamped to the range, then moves
// on from there; past the ends it stops, or with Wrap goes round to the other end.
// The new Position is written into the associated control's text, and OnClick tells
// which button stepped.
//
// Associate is a reference to another control of the form, resolved once the form is
// read; from then on the position shows in it. The control keeps the bounds it was
// given (the resource places it beside its edit box) and never takes the focus: the
// user goes on typing in the edit box.

#include <cstdint>
#include <string_view>

#include "framework/CustomControl.h"

namespace orvalis {

enum TUDBtnType : std::uint8_t { btNext, btPrev, kUDBtnTypeCount };
inline constexpr std::string_view kUDBtnTypeNames[] = {"btNext", "btPrev"};
inline constexpr TTypeInfo kUDBtnTypeType = EnumerationType<kUDBtnTypeCount>("TUDBtnType", kUDBtnTypeNames);
inline const TTypeInfo& DescribeType(TypeTag<TUDBtnType>) { return kUDBtnTypeType; }

enum TUDOrientation : std::uint8_t { udHorizontal, udVertical, kUDOrientationCount };
inline constexpr std::string_view kUDOrientationNames[] = {"udHorizontal", "udVertical"};
inline constexpr TTypeInfo kUDOrientationType =
    EnumerationType<kUDOrientationCount>("TUDOrientation", kUDOrientationNames);
inline const TTypeInfo& DescribeType(TypeTag<TUDOrientation>) { return kUDOrientationType; }

using TUDClickEvent = TEvent<void(TObject* Sender, TUDBtnType Button)>;
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, TUDBtnType)> = "TUDClickEvent";

class TUpDown : public TCustomControl {
    ORVALIS_TYPE_INFO(TUpDown)

public:
    // 15 × 21, vertical, 0 to 100 by 1, no tab stop.
    explicit TUpDown(TComponent* owner);
    ~TUpDown() override;

    TWinControl* Associate() const { return associate_; }
    void SetAssociate(TWinControl* associate);
    std::int32_t Min() const { return min_; }
    void SetMin(std::int32_t min) { min_ = min; }
    std::int32_t Max() const { return max_; }
    void SetMax(std::int32_t max) { max_ = max; }
    // Kept within Min and Max (once the form is read); shown in the associated control.
    std::int32_t Position() const { return position_; }
    void SetPosition(std::int32_t position);
    std::int32_t Increment() const { return increment_; }
    void SetIncrement(std::int32_t increment) { increment_ = increment; }
    bool Wrap() const { return wrap_; }
    void SetWrap(bool wrap) { wrap_ = wrap; }
    bool ArrowKeys() const { return arrowKeys_; }
    void SetArrowKeys(bool arrowKeys) { arrowKeys_ = arrowKeys; }
    TUDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TUDOrientation orientation);

    // One step up (btNext) or down (btPrev), as a press of that button; fires OnClick.
    void Step(TUDBtnType button);

    TUDClickEvent OnClick;

    void WndProc(TMessage& message) override;
    // A spin button (named by the label of its place) whose value is Position within
    // Min and Max; a value set is kept within them and shown in the associated control.
    bool DescribeAccessible(platform::AccessibleElement& element) override;
    void PerformAccessibleRequest(const platform::AccessibleRequest& request) override;
    // Shows the position read from the resource in the associated control.
    void LoadingFinished() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) override;
    void Notification(TComponent& component, TOperation operation) override;

private:
    friend class TEdit;

    // Min and Max in order (a range may be given upside down).
    std::int32_t Lowest() const { return min_ < max_ ? min_ : max_; }
    std::int32_t Highest() const { return min_ < max_ ? max_ : min_; }
    // Writes the position into the associated control's text.
    void ShowPosition();
    // The button under a point of the client area.
    TUDBtnType ButtonAt(std::int32_t x, std::int32_t y) const;

    TWinControl* associate_ = nullptr;
    std::int32_t min_ = 0;
    std::int32_t max_ = 100;
    std::int32_t position_ = 0;
    std::int32_t increment_ = 1;
    bool wrap_ = false;
    bool arrowKeys_ = true;
    TUDOrientation orientation_ = udVertical;
    bool pressed_ = false;  // a button is held down with the mouse
    TUDBtnType pressedButton_ = btNext;
};

}  // namespace orvalis
