#include "framework/RadioGroup.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "framework/Accelerator.h"
#include "framework/ControlLook.h"
#include "graphics/ScratchCanvas.h"
#include "platform/Menu.h"
#include "platform/VirtualKeys.h"

namespace orvalis {
namespace {

// The round button of an item and the room between it and the text.
constexpr std::int32_t kButtonSize = 13;
constexpr std::int32_t kTextOffset = kButtonSize + 4;
// Where the caption and the items start from the left edge.
constexpr std::int32_t kMargin = 8;

}  // namespace

const TClassInfo& TRadioGroup::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TRadioGroup, TCustomControl>("TRadioGroup")
                                       .Property("Align", &TControl::Align, &TControl::SetAlign)
                                       .Default(alNone)
                                       .Property("Caption", &TControl::Caption, &TControl::SetCaption)
                                       .Property("Color", &TControl::Color, &TControl::SetColor)
                                       .Type(kColorType)
                                       .Stored(&TControl::IsColorStored)
                                       .Default(clBtnFace)
                                       .Property("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns)
                                       .Default(1)
                                       .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
                                       .Default(true)
                                       .Property("Font", &TControl::Font, &TControl::SetFont)
                                       .Property("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex)
                                       .Default(-1)
                                       .Property("Items", &TRadioGroup::Items, &TRadioGroup::SetItems)
                                       .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
                                       .Default(true)
                                       .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
                                       .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                       .Default(true)
                                       .Property("Visible", &TControl::Visible, &TControl::SetVisible)
                                       .Default(true)
                                       .Property("OnClick", &TControl::OnClick)
                                       .Property("OnEnter", &TWinControl::OnEnter)
                                       .Property("OnExit", &TWinControl::OnExit);
    return info;
}

TRadioGroup::TRadioGroup(TComponent* owner) : TCustomControl(owner), items_(std::make_unique<TStringList>()) {
    SetBounds(0, 0, 185, 105);
    SetColor(clBtnFace);
    SetTabStop(true);
    SetControlStyle(csCaptureMouse);
    items_->SetOnChange(TNotifyEvent(this, &TRadioGroup::ItemsChanged));
}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::SetItems(TStrings* items) { items_->CopyFromObject(items); }

void TRadioGroup::SetItemIndex(std::int32_t index) {
    if (!HasState(stateLoading)) index = std::clamp(index, -1, items_->Count() - 1);
    if (index == itemIndex_) return;
    itemIndex_ = index;
    Invalidate();
}

void TRadioGroup::SetColumns(std::int32_t columns) {
    columns = std::max(columns, 1);
    if (columns == columns_) return;
    columns_ = columns;
    Invalidate();
}

void TRadioGroup::ItemsChanged(TObject*) {
    if (!HasState(stateLoading)) SetItemIndex(itemIndex_);
    Invalidate();
}

void TRadioGroup::LoadingFinished() {
    TCustomControl::LoadingFinished();
    SetItemIndex(itemIndex_);
}

std::int32_t TRadioGroup::LineHeight() {
    // Not on the group's own canvas: clicks and the description given to assistive tools
    // ask for it, and letting go of that canvas would show the window again.
    TScratchCanvas scratch;
    scratch.Canvas().SetFont(*Font());
    return scratch.Canvas().TextHeight("0");
}

TRect TRadioGroup::ItemRect(std::int32_t index) {
    // The items share the height below the caption, column after column.
    const std::int32_t count = items_->Count();
    const std::int32_t perColumn = std::max((count + columns_ - 1) / columns_, 1);
    const std::int32_t lineHeight = LineHeight();
    const std::int32_t width = (Width() - 10) / columns_;
    const std::int32_t room = Height() - lineHeight - 5;
    const std::int32_t height = room / perColumn;
    const std::int32_t topMargin = lineHeight + 1 + (room % perColumn) / 2;
    const std::int32_t left = (index / perColumn) * width + kMargin;
    const std::int32_t top = (index % perColumn) * height + topMargin;
    return {left, top, left + width, top + height};
}

std::int32_t TRadioGroup::ItemAt(std::int32_t x, std::int32_t y) {
    for (std::int32_t index = 0; index < items_->Count(); ++index) {
        const TRect rect = ItemRect(index);
        if (x >= rect.Left && x < rect.Right && y >= rect.Top && y < rect.Bottom) return index;
    }
    return -1;
}

void TRadioGroup::Choose(std::int32_t index) {
    if (index == itemIndex_) return;
    SetItemIndex(index);
    Click();
}

void TRadioGroup::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
        case CM_DIALOGCHAR:
            if (CanFocus())
                for (std::int32_t index = 0; index < items_->Count(); ++index)
                    if (IsAccel(static_cast<char32_t>(message.WParam), items_->Strings(index).View())) {
                        SetFocus();
                        Choose(index);
                        message.Result = 1;
                        return;
                    }
            break;
        case platform::WM_SETFOCUS:
        case platform::WM_KILLFOCUS:
            TCustomControl::WndProc(message);
            Invalidate();
            return;
        default: break;
    }
    TCustomControl::WndProc(message);
}

void TRadioGroup::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    const std::int32_t count = items_->Count();
    if (count == 0) return;
    switch (key) {
        case platform::VK_UP:
        case platform::VK_LEFT: Choose(itemIndex_ <= 0 ? count - 1 : itemIndex_ - 1); break;
        case platform::VK_DOWN:
        case platform::VK_RIGHT: Choose(itemIndex_ + 1 >= count ? 0 : itemIndex_ + 1); break;
        default: break;
    }
}

void TRadioGroup::MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button == mbLeft) pressedItem_ = ItemAt(x, y);
}

void TRadioGroup::MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != mbLeft) return;
    const std::int32_t pressed = pressedItem_;
    pressedItem_ = -1;
    if (pressed >= 0 && ItemAt(x, y) == pressed) Choose(pressed);
}

void TRadioGroup::Paint() {
    TCanvas& canvas = Canvas();
    const TRect client = ClientRect();
    const std::int32_t lineHeight = canvas.TextHeight("0");
    canvas.FillRect(client);

    // The etched frame, from the middle of the caption's line down.
    const TColor face = Color();
    const std::int32_t frameTop = lineHeight / 2;
    if (!DrawThemedPart(canvas, {client.Left, frameTop, client.Right, client.Bottom}, platform::ControlPart::GroupFrame,
                        {.disabled = !Enabled()})) {
        canvas.Brush().SetColor(clBtnHighlight);
        canvas.FrameRect({client.Left + 1, frameTop + 1, client.Right, client.Bottom});
        canvas.Brush().SetColor(clBtnShadow);
        canvas.FrameRect({client.Left, frameTop, client.Right - 1, client.Bottom - 1});
        canvas.Brush().SetColor(face);
    }

    const TColor textColour = Enabled() ? Font()->Color() : clGrayText;
    canvas.Font().SetColor(textColour);
    if (!Caption().IsEmpty()) {
        TRect caption{kMargin, 0, client.Right - kMargin, lineHeight};
        canvas.DrawText(Caption().View(), caption, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
        canvas.FillRect({caption.Left - 2, caption.Top, caption.Right + 2, caption.Bottom});
        canvas.DrawText(Caption().View(), caption, DT_LEFT | DT_SINGLELINE);
    }

    const bool focused = Focused();
    for (std::int32_t index = 0; index < items_->Count(); ++index) {
        const TRect item = ItemRect(index);
        const std::int32_t buttonTop = item.Top + (item.Height() - kButtonSize) / 2;
        const TRect mark{item.Left, buttonTop, item.Left + kButtonSize, buttonTop + kButtonSize};
        if (!DrawThemedPart(canvas, mark, platform::ControlPart::RadioMark,
                            {.disabled = !Enabled(), .checked = index == itemIndex_})) {
            canvas.Pen().SetColor(clBtnShadow);
            canvas.Brush().SetColor(Enabled() ? clWindow : clBtnFace);
            canvas.Ellipse(mark.Left, mark.Top, mark.Right, mark.Bottom);
            if (index == itemIndex_) {
                canvas.Pen().SetColor(textColour);
                canvas.Brush().SetColor(textColour);
                canvas.Ellipse(mark.Left + 4, mark.Top + 4, mark.Right - 4, mark.Bottom - 4);
            }
            canvas.Brush().SetColor(face);
        }
        const String text = items_->Strings(index);
        TRect textRect{item.Left + kTextOffset, item.Top, item.Right, item.Bottom};
        canvas.DrawText(text.View(), textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        // The focus stands on the chosen item, or on the first while none is chosen.
        if (focused && index == std::max(itemIndex_, 0)) {
            TRect extent = textRect;
            canvas.DrawText(text.View(), extent, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
            const std::int32_t top = item.Top + (item.Height() - extent.Height()) / 2;
            const TRect focus{extent.Left - 2, top - 1, extent.Right + 2, top + extent.Height() + 1};
            if (!DrawThemedPart(canvas, focus, platform::ControlPart::FocusRect, {.focused = true}))
                canvas.DrawFocusRect(focus);
        }
    }
}

bool TRadioGroup::DescribeAccessible(platform::AccessibleElement& element) {
    element.role = platform::AccessibleRole::Panel;
    element.name = platform::StripAccelerator(Caption().View());
    // The item that the focus rectangle surrounds: the chosen one, else the first.
    const std::int32_t focusedItem = std::max(itemIndex_, 0);
    for (std::int32_t index = 0; index < items_->Count(); ++index) {
        platform::AccessibleElement& item = element.children.emplace_back();
        item.key = {element.key.object, index};
        item.role = platform::AccessibleRole::RadioButton;
        item.name = platform::StripAccelerator(items_->Strings(index).View());
        const TRect rect = ItemRect(index);
        item.bounds = platform::Rect{rect.Left, rect.Top, rect.Right, rect.Bottom}.Offset(element.bounds.left,
                                                                                          element.bounds.top);
        item.states = element.states;
        item.states.focusable = TabStop();
        item.states.focused = Focused() && index == focusedItem;
        item.states.checked = index == itemIndex_;
        item.action = "click";
    }
    return true;
}

void TRadioGroup::PerformAccessibleRequest(const platform::AccessibleRequest& request) {
    using Kind = platform::AccessibleRequest::Kind;
    if (request.kind != Kind::DoAction && request.kind != Kind::Focus) return;
    if (CanFocus()) SetFocus();
    // The focus surrounds the chosen item only: an item takes it as a click gives it, chosen.
    if (request.key.part >= 0 && request.key.part < items_->Count()) Choose(request.key.part);
}

}  // namespace orvalis
