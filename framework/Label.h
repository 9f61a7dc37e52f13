#pragma once
// TLabel: a windowless control that shows a text. The text is drawn in the label's
// font on its colour (nothing behind it when Transparent), aligned left, right or
// centred, broken between words when WordWrap is set; a "&" underlines the next
// character (ShowAccelChar) and makes it the label's accelerator: that character,
// offered to the form as a mnemonic, gives the focus to FocusControl. With AutoSize
// (the default) the label takes the size of its text: the width and height of the
// text on one line, or, with WordWrap, the height of the text broken within its width.

#include <cstdint>
#include <string_view>

#include "framework/GraphicControl.h"

namespace orvalis {

class TWinControl;

enum TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter, kAlignmentCount };
inline constexpr std::string_view kAlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
inline constexpr TTypeInfo kAlignmentType = EnumerationType<kAlignmentCount>("TAlignment", kAlignmentNames);
inline const TTypeInfo& DescribeType(TypeTag<TAlignment>) { return kAlignmentType; }

class TLabel : public TGraphicControl {
    ORVALIS_TYPE_INFO(TLabel)

public:
    // 65 × 17, auto-sized, following the parent's colour and font.
    explicit TLabel(TComponent* owner);
    ~TLabel() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool showAccelChar);
    // The control that the accelerator focuses; none by default.
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control) { focusControl_ = control; }

    void WndProc(TMessage& message) override;
    // A label named by its caption (accelerator marks removed when they show).
    bool DescribeAccessible(platform::AccessibleElement& element) override;

protected:
    void Paint() override;
    bool CanAutoSize(std::int32_t& width, std::int32_t& height) override;
    void Notification(TComponent& component, TOperation operation) override;

private:
    // The DrawText flags of the label's layout.
    std::uint32_t TextFlags() const;

    TAlignment alignment_ = taLeftJustify;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

}  // namespace orvalis
