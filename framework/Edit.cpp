#include "framework/Edit.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>

#include "classes/ClassBuilder.h"
#include "framework/ControlLook.h"
#include "framework/UpDown.h"
#include "platform/Clipboard.h"
#include "platform/VirtualKeys.h"
#include "runtime/Exceptions.h"
#include "runtime/ScopedValue.h"
#include "runtime/TextConversions.h"

namespace orvalis {
namespace {

// The bevel and a pixel of room on each side of the text.
constexpr std::int32_t kTextInset = 3;

// The control codes that TranslateMessage gives for Ctrl with a letter.
constexpr char32_t kCtrlA = 1;
constexpr char32_t kCtrlC = 3;
constexpr char32_t kCtrlV = 22;
constexpr char32_t kCtrlX = 24;
constexpr char32_t kBackspace = 8;
constexpr char32_t kDelete = 127;  // Ctrl+Backspace

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t NextBoundary(std::string_view text, std::size_t position) {
    if (position >= text.size()) return text.size();
    ++position;
    while (position < text.size() && IsContinuationByte(text[position])) ++position;
    return position;
}

std::size_t PreviousBoundary(std::string_view text, std::size_t position) {
    if (position == 0) return 0;
    --position;
    while (position > 0 && IsContinuationByte(text[position])) --position;
    return position;
}

std::int32_t CharacterCount(std::string_view text) {
    return static_cast<std::int32_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

// The byte offset of character `index` (the end when there are fewer).
std::size_t ByteOffset(std::string_view text, std::int32_t index) {
    std::size_t position = 0;
    for (std::int32_t i = 0; i < index && position < text.size(); ++i) position = NextBoundary(text, position);
    return position;
}

// The first `count` characters of `text`.
std::string_view FirstCharacters(std::string_view text, std::int32_t count) {
    return text.substr(0, ByteOffset(text, std::max(count, 0)));
}

}  // namespace

const TClassInfo& TEdit::StaticClassInfo() {
    static const TClassInfo info = DescribeClass<TEdit, TCustomControl>("TEdit")
                                       .Property("Align", &TControl::Align, &TControl::SetAlign)
                                       .Default(alNone)
                                       .Property("AutoSelect", &TEdit::AutoSelect, &TEdit::SetAutoSelect)
                                       .Default(true)
                                       .Property("Color", &TControl::Color, &TControl::SetColor)
                                       .Type(kColorType)
                                       .Stored(&TControl::IsColorStored)
                                       .Default(clWindow)
                                       .Property("Enabled", &TControl::Enabled, &TControl::SetEnabled)
                                       .Default(true)
                                       .Property("Font", &TControl::Font, &TControl::SetFont)
                                       .Property("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength)
                                       .Default(0)
                                       .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
                                       .Default(false)
                                       .Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
                                       .Default(true)
                                       .Property("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly)
                                       .Default(false)
                                       .Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
                                       .Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
                                       .Default(true)
                                       .Property("Text", &TControl::Text, &TControl::SetText)
                                       .Property("Visible", &TControl::Visible, &TControl::SetVisible)
                                       .Default(true)
                                       .Property("OnChange", &TEdit::OnChange)
                                       .Property("OnClick", &TControl::OnClick)
                                       .Property("OnDblClick", &TControl::OnDblClick)
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

TEdit::TEdit(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 121, 21);
    SetColor(clWindow);
    SetTabStop(true);
}

TEdit::~TEdit() {
    if (upDown_) upDown_->associate_ = nullptr;
}

std::int32_t TEdit::SelStart() const { return CharacterCount(Text().View().substr(0, SelectionFrom())); }

void TEdit::SetSelStart(std::int32_t start) {
    const std::size_t position = ByteOffset(Text().View(), start);
    caret_ = anchor_ = position;
    Invalidate();
}

std::int32_t TEdit::SelLength() const {
    return CharacterCount(Text().View().substr(SelectionFrom(), SelectionTo() - SelectionFrom()));
}

void TEdit::SetSelLength(std::int32_t length) {
    const std::string_view text = Text().View();
    const std::size_t from = SelectionFrom();
    anchor_ = from;
    caret_ = from + ByteOffset(text.substr(from), std::max(length, 0));
    Invalidate();
}

String TEdit::SelText() const { return Text().Substring(SelectionFrom(), SelectionTo() - SelectionFrom()); }

void TEdit::SetSelText(const String& text) { Replace(SelectionFrom(), SelectionTo(), text.View()); }

void TEdit::SelectAll() {
    anchor_ = 0;
    caret_ = Text().Length();
    Invalidate();
}

void TEdit::ClearSelection() {
    if (caret_ != anchor_) Replace(SelectionFrom(), SelectionTo(), {});
}

void TEdit::CopyToClipboard() {
    if (caret_ == anchor_) return;
    if (!platform::SetClipboardText(SelText().View())) throw Exception(ResId::CannotOpenClipboard);
}

void TEdit::CutToClipboard() {
    if (readOnly_ || caret_ == anchor_) return;
    CopyToClipboard();
    ClearSelection();
}

void TEdit::PasteFromClipboard() {
    if (readOnly_) return;
    const std::optional<std::string> text = platform::GetClipboardText();
    if (text) Replace(SelectionFrom(), SelectionTo(), Admissible(*text));
}

std::string_view TEdit::Admissible(std::string_view text) const {
    text = text.substr(0, std::min(text.find('\r'), text.find('\n')));
    if (maxLength_ <= 0) return text;
    const std::string_view current = Text().View();
    const std::int32_t kept =
        CharacterCount(current) - CharacterCount(current.substr(SelectionFrom(), SelectionTo() - SelectionFrom()));
    return FirstCharacters(text, maxLength_ - kept);
}

void TEdit::Replace(std::size_t from, std::size_t to, std::string_view text) {
    std::string changed(Text().View());
    changed.replace(from, to - from, text);
    caret_ = anchor_ = from + text.size();
    ScopedValue keepCaret(keepCaret_, true);
    SetText(String(changed));
    Invalidate();
}

void TEdit::MoveCaret(std::size_t position, bool extend) {
    caret_ = position;
    if (!extend) anchor_ = position;
    Invalidate();
}

void TEdit::TextChanged() {
    TCustomControl::TextChanged();
    // A text given by the program puts the caret at its end.
    if (!keepCaret_) caret_ = anchor_ = Text().Length();
    caret_ = std::min(caret_, Text().Length());
    anchor_ = std::min(anchor_, Text().Length());
    if (!HasState(stateLoading | stateReading)) Change();
}

void TEdit::Change() {
    if (OnChange) OnChange(this);
}

void TEdit::WndProc(TMessage& message) {
    switch (message.Msg) {
        case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
        case platform::WM_LBUTTONDOWN: {
            // A click places the caret itself: entering by the mouse selects nothing.
            ScopedValue mouseFocusing(mouseFocusing_, true);
            TCustomControl::WndProc(message);
            return;
        }
        case platform::WM_SETFOCUS:
        case platform::WM_KILLFOCUS:
            TCustomControl::WndProc(message);
            Invalidate();
            return;
        default: break;
    }
    TCustomControl::WndProc(message);
}

void TEdit::DoEnter() {
    TCustomControl::DoEnter();
    if (autoSelect_ && !mouseFocusing_) SelectAll();
}

void TEdit::KeyDown(std::uint16_t& key, TShiftState shift) {
    TCustomControl::KeyDown(key, shift);
    const std::string_view text = Text().View();
    const bool extend = (shift & ssShift) != 0;
    switch (key) {
        case platform::VK_LEFT:
            if (!extend && caret_ != anchor_)
                MoveCaret(SelectionFrom(), false);
            else
                MoveCaret(PreviousBoundary(text, caret_), extend);
            break;
        case platform::VK_RIGHT:
            if (!extend && caret_ != anchor_)
                MoveCaret(SelectionTo(), false);
            else
                MoveCaret(NextBoundary(text, caret_), extend);
            break;
        case platform::VK_HOME: MoveCaret(0, extend); break;
        case platform::VK_END: MoveCaret(text.size(), extend); break;
        case platform::VK_DELETE:
            if (extend)
                CutToClipboard();
            else if (readOnly_)
                break;
            else if (caret_ != anchor_)
                ClearSelection();
            else if (caret_ < text.size())
                Replace(caret_, NextBoundary(text, caret_), {});
            break;
        case platform::VK_INSERT:
            if (shift & ssCtrl)
                CopyToClipboard();
            else if (extend)
                PasteFromClipboard();
            break;
        case platform::VK_UP:
        case platform::VK_DOWN:
            if (upDown_ && upDown_->ArrowKeys()) upDown_->Step(key == platform::VK_UP ? btNext : btPrev);
            break;
        default: break;
    }
}

void TEdit::KeyPress(char32_t& key) {
    TCustomControl::KeyPress(key);
    switch (key) {
        case 0: return;
        case kCtrlA: SelectAll(); return;
        case kCtrlC: CopyToClipboard(); return;
        case kCtrlV: PasteFromClipboard(); return;
        case kCtrlX: CutToClipboard(); return;
        case kBackspace:
            if (readOnly_) return;
            if (caret_ != anchor_)
                ClearSelection();
            else if (caret_ > 0)
                Replace(PreviousBoundary(Text().View(), caret_), caret_, {});
            return;
        default: break;
    }
    if (key < 32 || key == kDelete || readOnly_) return;
    std::string typed;
    AppendUtf8(typed, key);
    Replace(SelectionFrom(), SelectionTo(), Admissible(typed));
}

void TEdit::MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (button == mbLeft) MoveCaret(PositionAt(x), (shift & ssShift) != 0);
}

void TEdit::MouseMove(TShiftState shift, std::int32_t x, std::int32_t y) {
    TCustomControl::MouseMove(shift, x, y);
    if ((shift & ssLeft) && MouseCapture()) MoveCaret(PositionAt(x), true);
}

std::size_t TEdit::PositionAt(std::int32_t x) {
    TCanvas& canvas = Canvas();
    canvas.SetFont(*Font());
    const std::string_view text = Text().View();
    const std::int32_t target = x - (kTextInset - scroll_);
    std::size_t best = 0;
    std::int32_t bestDistance = std::abs(target);
    for (std::size_t position = NextBoundary(text, 0); position > 0; position = NextBoundary(text, position)) {
        const std::int32_t distance = std::abs(target - canvas.TextWidth(text.substr(0, position)));
        if (distance < bestDistance) {
            best = position;
            bestDistance = distance;
        }
        if (position == text.size()) break;
    }
    return best;
}

std::int32_t TEdit::TextOrigin() {
    TCanvas& canvas = Canvas();
    const std::string_view text = Text().View();
    const std::int32_t room = std::max(ClientWidth() - 2 * kTextInset, 1);
    const std::int32_t caretX = canvas.TextWidth(text.substr(0, caret_));
    const std::int32_t textWidth = canvas.TextWidth(text);
    // No more scrolled than the text needs, and the caret inside the box.
    scroll_ = std::min(scroll_, std::max(textWidth - room + 1, 0));
    if (caretX - scroll_ > room - 1) scroll_ = caretX - room + 1;
    if (caretX < scroll_) scroll_ = caretX;
    return kTextInset - scroll_;
}

void TEdit::Paint() {
    TCanvas& canvas = Canvas();
    const TRect rect = ClientRect();
    canvas.Brush().SetColor(Enabled() ? Color() : clBtnFace);
    canvas.FillRect(rect);
    if (!DrawThemedPart(canvas, rect, platform::ControlPart::EditBox, {.disabled = !Enabled(), .focused = Focused()})) {
        TRect bevelled = rect;
        DrawSunkenBevel(canvas, bevelled);
    }
    // The text keeps the place it has inside the plain look's bevels, whatever the look.
    const TRect inner{rect.Left + 3, rect.Top + 3, rect.Right - 3, rect.Bottom - 3};

    const std::string_view text = Text().View();
    const std::int32_t x = TextOrigin();
    const std::int32_t lineHeight = canvas.TextHeight("Ag");
    const std::int32_t y = (ClientHeight() - lineHeight) / 2;
    if (!Enabled()) canvas.Font().SetColor(clGrayText);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextRect(inner, x, y, text);

    const bool focused = Focused();
    if (focused && caret_ != anchor_) {
        const std::int32_t from = x + canvas.TextWidth(text.substr(0, SelectionFrom()));
        const std::int32_t to = x + canvas.TextWidth(text.substr(0, SelectionTo()));
        const TRect selection{std::max(from, inner.Left), std::max(y, inner.Top), std::min(to, inner.Right),
                              std::min(y + lineHeight, inner.Bottom)};
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(clHighlight);
        canvas.Font().SetColor(clHighlightText);
        canvas.TextRect(selection, from, y, text.substr(SelectionFrom(), SelectionTo() - SelectionFrom()));
    }
    if (focused) {
        const std::int32_t caretX = x + canvas.TextWidth(text.substr(0, caret_));
        if (caretX >= inner.Left && caretX < inner.Right) {
            canvas.Pen().SetColor(Font()->Color());
            canvas.MoveTo(caretX, std::max(y, inner.Top));
            canvas.LineTo(caretX, std::min(y + lineHeight, inner.Bottom));
        }
    }
}

const std::vector<platform::Rect>& TEdit::CharacterPlaces(const platform::Rect& bounds) {
    MeasuredPlaces& measured = measuredPlaces_;
    const std::string_view text = Text().View();
    const platform::Size client{ClientWidth(), ClientHeight()};
    if (measured.current && measured.text == text && measured.caret == caret_ && measured.scroll == scroll_ &&
        measured.bounds == bounds && measured.client == client)
        return measured.places;
    measured.text = text;
    measured.caret = caret_;
    measured.bounds = bounds;
    measured.client = client;
    measured.places.clear();
    // As Paint lays the characters out: from the scrolled origin, on a centred line.
    TCanvas& canvas = Canvas();
    const std::int32_t x = bounds.left + TextOrigin();
    measured.scroll = scroll_;
    const std::int32_t lineHeight = canvas.TextHeight("Ag");
    const std::int32_t y = bounds.top + (client.height - lineHeight) / 2;
    for (std::size_t from = 0, to = 0; from < text.size(); from = to) {
        to = NextBoundary(text, from);
        measured.places.push_back(
            platform::Rect::FromOriginAndSize({x + canvas.TextWidth(text.substr(0, from)), y},
                                              {canvas.TextWidth(text.substr(from, to - from)), lineHeight}));
    }
    measured.current = true;
    return measured.places;
}

void TEdit::FontChanged() {
    TCustomControl::FontChanged();
    measuredPlaces_.current = false;
}

bool TEdit::DescribeAccessible(platform::AccessibleElement& element) {
    element.role = platform::AccessibleRole::Entry;
    element.states.focusable = TabStop();
    element.states.focused = Focused();
    element.states.editable = !readOnly_;
    element.hasText = true;
    const std::string_view text = Text().View();
    element.text = text;
    element.caret = CharacterCount(text.substr(0, caret_));
    element.selectionStart = SelStart();
    element.selectionEnd = element.selectionStart + SelLength();
    element.characters = CharacterPlaces(element.bounds);
    // With its up-down the box is one spin button, as the user meets it: the arrow keys
    // step the value from the box, and the up-down never takes the focus.
    if (upDown_) {
        element.role = platform::AccessibleRole::SpinButton;
        element.hasValue = true;
        element.value = {upDown_->Lowest(), upDown_->Highest(), upDown_->Position()};
    }
    return true;
}

void TEdit::PerformAccessibleRequest(const platform::AccessibleRequest& request) {
    using Kind = platform::AccessibleRequest::Kind;
    switch (request.kind) {
        case Kind::Focus:
            if (CanFocus()) SetFocus();
            break;
        case Kind::SetText:
            if (readOnly_) break;
            SelectAll();
            Replace(0, Text().Length(), Admissible(request.text));
            break;
        case Kind::SetValue:
            if (upDown_) upDown_->PerformAccessibleRequest(request);
            break;
        case Kind::Select: {
            const std::string_view text = Text().View();
            anchor_ = ByteOffset(text, std::max(request.start, 0));
            caret_ = ByteOffset(text, std::max(request.end, 0));
            Invalidate();
            break;
        }
        case Kind::DoAction: break;
    }
}

}  // namespace orvalis
