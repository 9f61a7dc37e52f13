#include "framework/Label.h"

#include "classes/ClassBuilder.h"
#include "framework/Accelerator.h"
#include "framework/WinControl.h"
#include "graphics/ScratchCanvas.h"
#include "platform/Menu.h"

namespace orvalis {
namespace {

// The extent of `text` laid out by `flags` in `rect`, measured in `font` on the
// platform's scratch surface (a label may have no window to measure on yet).
TRect MeasureText(TFont& font, std::string_view text, TRect rect, std::uint32_t flags) {
    TScratchCanvas scratch;
    scratch.Canvas().SetFont(font);
    scratch.Canvas().DrawText(text, rect, flags | DT_CALCRECT);
    return rect;
}

}  // namespace

const TClassInfo& TLabel::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TLabel, TGraphicControl>("TLabel")
                                       .Property("Align", &TControl::Align, &TControl::SetAlign)
                                       .Default(alNone)
                                       .Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment)
                                       .Default(taLeftJustify)
                                       .Property("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize)
                                       .Default(true)
                                       .Property("Caption", &TControl::Caption, &TControl::SetCaption)
                                       .Property("Color", &TControl::Color, &TControl::SetColor)
                                       .Type(kColorType)
                                       .Stored(&TControl::IsColorStored)
                                       .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
                                       .Default(true)
                                       .Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl)
                                       .Property("Font", &TControl::Font, &TControl::SetFont)
                                       .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
                                       .Default(true)
                                       .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
                                       .Default(true)
                                       .Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar)
                                       .Default(true)
                                       .Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
                                       .Default(false)
                                       .Property("Visible", &TControl::Visible, &TControl::SetVisible)
                                       .Default(true)
                                       .Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
                                       .Default(false)
                                       .Property("OnClick", &TControl::OnClick)
                                       .Property("OnDblClick", &TControl::OnDblClick)
                                       .Property("OnMouseDown", &TControl::OnMouseDown)
                                       .Property("OnMouseMove", &TControl::OnMouseMove)
                                       .Property("OnMouseUp", &TControl::OnMouseUp);
    return info;
}

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) {
    SetBounds(0, 0, 65, 17);
    SetParentColor(true);
    SetAutoSize(true);
    // A label paints all of its area unless it is transparent.
    SetControlStyle((ControlStyle() | csOpaque) & ~csCaptureMouse);
}

TLabel::~TLabel() = default;

void TLabel::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetWordWrap(bool wordWrap) {
    if (wordWrap == wordWrap_) return;
    wordWrap_ = wordWrap;
    AdjustSize();
    Invalidate();
}

void TLabel::SetTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    SetControlStyle(transparent ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
    Invalidate();
}

void TLabel::SetShowAccelChar(bool showAccelChar) {
    if (showAccelChar == showAccelChar_) return;
    showAccelChar_ = showAccelChar;
    AdjustSize();
    Invalidate();
}

std::uint32_t TLabel::TextFlags() const {
    static constexpr std::uint32_t kAlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    return DT_EXPANDTABS | kAlignmentFlags[alignment_] | (wordWrap_ ? DT_WORDBREAK : 0u) |
           (showAccelChar_ ? 0u : DT_NOPREFIX);
}

void TLabel::Paint() {
    TCanvas& canvas = Canvas();
    TRect rect = ClientRect();
    if (!transparent_) canvas.FillRect(rect);
    if (!Enabled()) canvas.Font().SetColor(clGrayText);
    canvas.DrawText(Caption().View(), rect, TextFlags());
}

bool TLabel::CanAutoSize(std::int32_t& width, std::int32_t& height) {
    // An empty label keeps the height of one line.
    const std::string_view text = Caption().IsEmpty() ? std::string_view(" ") : Caption().View();
    const TRect extent = MeasureText(*Font(), text, {0, 0, wordWrap_ ? Width() : 0, 0}, TextFlags());
    if (!wordWrap_) width = extent.Width();
    height = extent.Height();
    return true;
}

void TLabel::WndProc(TMessage& message) {
    if (message.Msg == CM_DIALOGCHAR && showAccelChar_ && focusControl_ && Enabled() &&
        IsAccel(static_cast<char32_t>(message.WParam), Caption().View()) && focusControl_->CanFocus()) {
        focusControl_->SetFocus();
        message.Result = 1;
        return;
    }
    TGraphicControl::WndProc(message);
}

void TLabel::Notification(TComponent& component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation == operationRemove && &component == focusControl_) focusControl_ = nullptr;
}

bool TLabel::DescribeAccessible(platform::AccessibleElement& element) {
    element.role = platform::AccessibleRole::Label;
    element.name = showAccelChar_ ? platform::StripAccelerator(Caption().View()) : std::string(Caption().View());
    return true;
}

}  // namespace orvalis
