#pragma once
// TControl: the base of every visible component. It has a parent (a windowed control
// that lays it out and shows it), bounds in the parent's client area, an alignment,
// visibility, enabled state, a text, a colour and a font (both may follow the parent's),
// a hint, and it handles the mouse: the messages reach it through its own window
// (TWinControl) or, for a windowless control (TGraphicControl), through its parent's.
//
// Messages go through WndProc (Perform calls it directly); a class handles the ones it
// knows and passes the others to its base class, and the last word is DefaultHandler
// (the platform's default handling for a windowed control).
//
// The click rule: a left-button press on a control with csClickEvents sets its clicked
// state; the release that follows, inside its client rectangle, clears it and calls
// Click (OnClick). Each control publishes its own selection of the properties and
// events declared here (TControl itself publishes Left, Top, Width and Height).

#include <cstdint>
#include <memory>
#include <string_view>

#include "classes/Color.h"
#include "classes/Component.h"
#include "classes/Events.h"
#include "classes/Rect.h"
#include "classes/TypeInfo.h"
#include "framework/ControlMessages.h"
#include "framework/Cursor.h"
#include "framework/DragDock.h"
#include "framework/SizeConstraints.h"
#include "graphics/Canvas.h"
#include "graphics/Font.h"
#include "platform/Accessibility.h"
#include "runtime/String.h"

namespace orvalis {

class TCustomForm;
class TPopupMenu;
class TWinControl;

enum TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, kAlignCount };
inline constexpr std::string_view kAlignNames[] = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
inline constexpr TTypeInfo kAlignType = EnumerationType<kAlignCount>("TAlign", kAlignNames);
inline const TTypeInfo& DescribeType(TypeTag<TAlign>) { return kAlignType; }

// The sides of the parent that a control keeps its distance to when the parent is
// resized (Anchors): both sides of a dimension stretch the control, one side keeps it
// at that side, neither keeps its centre at the same proportion of the parent.
enum TAnchorKind : std::uint8_t { akLeft, akTop, akRight, akBottom, kAnchorKindCount };
inline constexpr std::string_view kAnchorKindNames[] = {"akLeft", "akTop", "akRight", "akBottom"};
inline constexpr TTypeInfo kAnchorKindType = EnumerationType<kAnchorKindCount>("TAnchorKind", kAnchorKindNames);
inline constexpr TTypeInfo kAnchorsType = SetType("TAnchors", kAnchorKindType);
using TAnchors = std::uint8_t;
constexpr TAnchors AnchorBit(TAnchorKind kind) { return TAnchors(1u << kind); }
inline constexpr TAnchors kDefaultAnchors = AnchorBit(akLeft) | AnchorBit(akTop);

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

// The modifier keys and mouse buttons held, as a set.
using TShiftState = std::uint8_t;
enum : TShiftState {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40
};
// Shift, Ctrl and Alt as the keyboard stands now (as of the last key message taken).
TShiftState KeyboardShiftState();

using TMouseEvent =
    TEvent<void(TObject* Sender, TMouseButton Button, TShiftState Shift, std::int32_t X, std::int32_t Y)>;
using TMouseMoveEvent = TEvent<void(TObject* Sender, TShiftState Shift, std::int32_t X, std::int32_t Y)>;
// Key is a virtual-key code; setting it to 0 swallows the key.
using TKeyEvent = TEvent<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
template <>
inline constexpr std::string_view
    kEventTypeName<void(TObject*, TMouseButton, TShiftState, std::int32_t, std::int32_t)> = "TMouseEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, TShiftState, std::int32_t, std::int32_t)> =
    "TMouseMoveEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, std::uint16_t&, TShiftState)> = "TKeyEvent";
// A right click on the control (MousePos in its client area); Handled: no pop-up menu.
using TContextPopupEvent = TEvent<void(TObject* Sender, TPoint MousePos, bool& Handled)>;
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, TPoint, bool&)> = "TContextPopupEvent";

// What a control does by its nature.
using TControlStyle = std::uint32_t;
enum : TControlStyle {
    csCaptureMouse = 0x01,  // takes the mouse capture while the left button is down
    csClickEvents = 0x02,   // accepts clicks: a press and release on it make a Click
    csOpaque = 0x04,        // paints all of its area: the parent need not erase under it
    csDoubleClicks = 0x08,  // a double click calls DblClick (else it is a second press)
};

// What a control is doing.
using TControlState = std::uint32_t;
enum : TControlState {
    csClicked = 0x01,   // the left button went down on it
    csFocusing = 0x02,  // its form is giving it the focus
};

class TControl : public TComponent {
    ORVALIS_TYPE_INFO(TControl)

public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    // Where it is. Bounds are in the parent's client area.
    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    std::int32_t Left() const { return left_; }
    void SetLeft(std::int32_t left) { SetBounds(left, top_, width_, height_); }
    std::int32_t Top() const { return top_; }
    void SetTop(std::int32_t top) { SetBounds(left_, top, width_, height_); }
    std::int32_t Width() const { return width_; }
    void SetWidth(std::int32_t width) { SetBounds(left_, top_, width, height_); }
    std::int32_t Height() const { return height_; }
    void SetHeight(std::int32_t height) { SetBounds(left_, top_, width_, height); }
    virtual void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    TRect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    // The area inside the control, from (0, 0).
    virtual TRect ClientRect() const { return {0, 0, width_, height_}; }
    std::int32_t ClientWidth() const { return ClientRect().Width(); }
    std::int32_t ClientHeight() const { return ClientRect().Height(); }
    // Resizes the control so that its client area has that size.
    virtual void SetClientWidth(std::int32_t width);
    virtual void SetClientHeight(std::int32_t height);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    // When set, the control takes the size its content asks for (CanAutoSize).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    // How a control that is not aligned follows its parent's resize (from the bounds it
    // was last given and its parent's client size then).
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);
    // Limits of the size, applied to every change of the bounds. Copies `constraints`.
    TSizeConstraints* Constraints() const { return constraints_.get(); }
    void SetConstraints(TSizeConstraints* constraints) { constraints_->CopyFromObject(constraints); }
    virtual TPoint ClientToScreen(TPoint point) const;
    TPoint ScreenToClient(TPoint point) const;

    // How it shows.
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Caption and Text are one text (a form's title, a label's or a button's caption).
    const String& Caption() const { return text_; }
    void SetCaption(const String& caption) { SetText(caption); }
    const String& Text() const { return text_; }
    void SetText(const String& text);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);
    // The stored rule of a published Color: a colour taken from the parent is not
    // written, since reading it back would set it as the control's own.
    bool IsColorStored() const { return !parentColor_; }
    TFont* Font() const { return font_.get(); }
    // Copies `font`.
    void SetFont(TFont* font) { font_->CopyFromObject(font); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);
    const String& Hint() const { return hint_; }
    void SetHint(const String& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool showHint) { showHint_ = showHint; }
    // Kept only: this platform shows no hints (docs/controls.md).
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool parentShowHint) { parentShowHint_ = parentShowHint; }
    // Kept only: no pop-up menu shows on this platform; a right click fires
    // OnContextPopup. Forgotten when the menu is destroyed.
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* menu) { popupMenu_ = menu; }
    // Kept only: no drag or dock starts on this platform (DragDock.h).
    TCursor DragCursor() const { return dragCursor_; }
    void SetDragCursor(TCursor cursor) { dragCursor_ = cursor; }
    TDragKind DragKind() const { return dragKind_; }
    void SetDragKind(TDragKind kind) { dragKind_ = kind; }
    TDragMode DragMode() const { return dragMode_; }
    void SetDragMode(TDragMode mode) { dragMode_ = mode; }
    TControlStyle ControlStyle() const { return style_; }
    void SetControlStyle(TControlStyle style) { style_ = style; }
    TControlState ControlState() const { return controlState_; }
    bool HasControlState(TControlState flags) const { return (controlState_ & flags) != 0; }
    void IncludeControlState(TControlState flags) { controlState_ |= flags; }
    void ExcludeControlState(TControlState flags) { controlState_ &= ~flags; }

    // Painting: Invalidate asks for a repaint when the queue is idle, Update repaints
    // what is invalid now, Repaint does both.
    virtual void Invalidate();
    virtual void Update();
    void Repaint();

    // Handles a message at once; returns its result.
    LRESULT Perform(std::uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual void WndProc(TMessage& message);

    // The mouse capture: all mouse input comes to this control while it holds it.
    bool MouseCapture() const;
    void SetMouseCapture(bool capture);
    // Runs OnClick.
    virtual void Click();

    // How assistive tools see the control (docs/accessibility.md): fills in the element's
    // role, name, states, text, value and action; its key, bounds and showing and enabled
    // states are filled already. False (the default): the control is not shown to them.
    virtual bool DescribeAccessible(platform::AccessibleElement& element);
    // An assistive tool's request on the control or a part of it (the control shows and
    // takes input): what a click, typing or a step of the user would do. Nothing by default.
    virtual void PerformAccessibleRequest(const platform::AccessibleRequest& request);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    // The mouse comes over the control and leaves it (the application's idle step).
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TContextPopupEvent OnContextPopup;
    // Never fired on this platform (DragDock.h).
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDock;
    TEndDragEvent OnEndDrag;
    TStartDockEvent OnStartDock;
    TStartDragEvent OnStartDrag;

    // What the form reader and writer call.
    void AttachToParent(TComponent* parent) override;
    TComponent* ParentComponent() const override;
    // Takes the parent's font and colour when it follows them, then its own size, and
    // remembers where it stands for its anchors.
    void LoadingFinished() override;

protected:
    // Forgets the pop-up menu when it goes.
    void Notification(TComponent& component, TOperation operation) override;
    // The handling of messages that no class took: nothing for a windowless control.
    virtual void DefaultHandler(TMessage& message);

    // The mouse, in client coordinates; each fires its event.
    virtual void MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y);
    virtual void MouseMove(TShiftState shift, std::int32_t x, std::int32_t y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y);
    virtual void DblClick();

    // Told after the property changed.
    virtual void VisibleChanged();
    virtual void EnabledChanged();
    virtual void TextChanged();
    virtual void ColorChanged();
    virtual void FontChanged();

    // The size the content asks for when AutoSize is set; false: no change. Nothing here.
    virtual bool CanAutoSize(std::int32_t& width, std::int32_t& height);
    // Applies CanAutoSize when AutoSize is set.
    void AdjustSize();
    // The parent lays out its children again when this one is aligned.
    void RequestAlign();
    // Asks the parent to repaint an area of its client area that the control covers or
    // covered (a windowless control has no window of its own); `erase`: the background first.
    void InvalidateInParent(const TRect& bounds, bool erase);
    // A size brought within the Constraints.
    void ConstrainSize(std::int32_t& width, std::int32_t& height) const;
    // Remembers the bounds and the parent's client size that the anchors start from;
    // called after every change of the bounds that the parent's layout did not make.
    void RememberAnchorOrigin();

private:
    friend class TWinControl;
    friend class TCustomForm;
    // Where the anchors place the control in a parent client area of that size.
    TRect AnchoredBounds(std::int32_t parentWidth, std::int32_t parentHeight) const;
    void FontObjectChanged(TObject* sender);
    void ConstraintsChanged(TObject* sender);
    void ButtonDown(TMessage& message, TMouseButton button, bool doubleClick);
    void ButtonUp(TMessage& message, TMouseButton button);

    TWinControl* parent_ = nullptr;
    std::int32_t left_ = 0;
    std::int32_t top_ = 0;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    TAlign align_ = alNone;
    bool autoSize_ = false;
    TAnchors anchors_ = kDefaultAnchors;
    // The bounds and the parent's client size that the anchors start from.
    struct AnchorOrigin {
        TRect bounds;
        std::int32_t parentWidth = 0;
        std::int32_t parentHeight = 0;
    } anchorOrigin_;
    std::unique_ptr<TSizeConstraints> constraints_;
    bool visible_ = true;
    bool enabled_ = true;
    String text_;
    TColor color_ = clWindow;
    bool parentColor_ = false;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    String hint_;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    TPopupMenu* popupMenu_ = nullptr;
    TCursor dragCursor_ = crDrag;
    TDragKind dragKind_ = dkDrag;
    TDragMode dragMode_ = dmManual;
    TControlStyle style_ = csCaptureMouse | csClickEvents | csDoubleClicks;
    TControlState controlState_ = 0;
};

// The form that holds `control` (the root of its parent chain, the form itself for a
// form), or null when that root is no form.
TCustomForm* GetParentForm(const TControl& control);

// The control that holds the mouse capture, or null.
TControl* CaptureControl();

}  // namespace orvalis
