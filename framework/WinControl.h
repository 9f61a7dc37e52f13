#pragma once
// TWinControl: a control with a platform window of its own (made when first needed),
// which can hold other controls, take the keyboard focus and receive keys.
//
// Its window procedure is the entry of every message: an exception that escapes a
// handler goes to the application (HandleUncaughtException) and never through the
// platform, and after each message the drawing contexts that canvases took outside
// painting are released (the control canvases, then the release hooks of the graphics
// layer, which the bitmap canvases use).
//
// Keys: before a key message is dispatched, the application sends the control the
// reflected notification (CN_KEYDOWN, ...: the message plus 0xBC00). A key-down is then
// offered to the shortcuts (the form's, then the application's), to the control
// (CM_CHILDKEY), and as a dialog key (Tab, arrows, Return, Escape) to the form, unless
// the control asks for that kind of key in its dialog code (WM_GETDLGCODE). What no one
// took is dispatched: the key-down fires OnKeyDown and its character OnKeyPress, each
// after the form's own handler when the form has KeyPreview.
//
// Painting: WM_PAINT erases the background with the control's colour (leaving out the
// opaque windowless children), paints the control (PaintWindow) and then its windowless
// children, each in its own rectangle, through the same drawing context.

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "framework/Control.h"
#include "platform/Window.h"

namespace orvalis {

class TWinControl : public TControl, public platform::WindowProcedure {
    ORVALIS_TYPE_INFO(TWinControl)

public:
    explicit TWinControl(TComponent* owner);
    // Destroys the child controls still in it, then its window.
    ~TWinControl() override;

    // The child controls, back to front.
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int index) const;
    bool ContainsControl(const TControl* control) const;
    // The front-most visible windowless child at a point of the client area (enabled
    // unless `allowDisabled`), or null.
    TControl* ControlAtPos(TPoint point, bool allowDisabled) const;

    // The window.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != 0; }
    void HandleNeeded();
    TPoint ClientToScreen(TPoint point) const override;
    void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) override;
    void Invalidate() override;
    void Update() override;
    // Lays the aligned children out in the client area again.
    void Realign();
    // True while it lays out its children.
    bool Aligning() const { return aligning_; }

    // The focus.
    bool Focused() const;
    virtual bool CanFocus() const;
    virtual void SetFocus();
    // The position among the parent's focusable children (0 first).
    std::int32_t TabOrder() const;
    void SetTabOrder(std::int32_t tabOrder);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
    // The windowed controls below this one, depth first, in tab order.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // The control after (or before) `current` in tab order that can take the focus
    // (and has TabStop, and has this control as parent, when asked); null when none.
    TWinControl* FindNextControl(TWinControl* current, bool forward, bool checkTabStop, bool checkParent) const;
    // Focuses the next control: by tab stops for Tab, among this control's own children
    // for the arrows.
    void SelectNext(TWinControl* current, bool forward, bool checkTabStop);

    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // The platform's entry: guards the handlers and releases the contexts afterwards.
    LRESULT WindowProc(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam) override;
    void WndProc(TMessage& message) override;

    // Puts the tab order read from a resource into effect, then lays the children out.
    void LoadingFinished() override;
    void EnumerateChildren(const std::function<void(TComponent&)>& visit, TComponent& root) override;

protected:
    // What the window is made with: a child window of the parent's, of a window class
    // named after the control's class.
    virtual void CreateParams(platform::CreateWindowParams& params);
    virtual void CreateHandle();
    void DestroyHandle();
    void DefaultHandler(TMessage& message) override;

    // Paints the control itself (its windowless children are painted after it).
    virtual void PaintWindow(cairo_t* context);
    // Erases the client area with the control's colour, the opaque windowless children left out.
    virtual void EraseBackground(cairo_t* context);
    // Lays the children out in `rect`: top, bottom, left, right, then client.
    virtual void AlignControls(TRect rect);

    // Keys. The Do... steps offer the key to the form first when it previews keys, then
    // to the control; they answer true when the key was swallowed (set to 0).
    virtual bool DoKeyDown(TMessage& message);
    virtual bool DoKeyPress(TMessage& message);
    virtual bool DoKeyUp(TMessage& message);
    virtual void KeyDown(std::uint16_t& key, TShiftState shift);
    virtual void KeyPress(char32_t& key);
    virtual void KeyUp(std::uint16_t& key, TShiftState shift);
    // The focus enters and leaves the control within its form.
    virtual void DoEnter();
    virtual void DoExit();

    void VisibleChanged() override;
    void EnabledChanged() override;
    void TextChanged() override;
    void ColorChanged() override;
    void FontChanged() override;

private:
    friend class TControl;
    void InsertControl(TControl& control);
    void RemoveControl(TControl& control);
    // The reflected key-down: true when the menus, the control or the form took it.
    bool TakeReflectedKeyDown(TMessage& message);
    bool RouteMouseToChild(TMessage& message);
    void Paint();
    void PaintControls(cairo_t* context, const platform::Rect& area);
    void UpdateBoundsFromWindow();
    // Each child handles the message, until one answers non-zero.
    void BroadcastToChildren(TMessage& message);
    void NotifyChildren(std::uint32_t message);

    HWND handle_ = 0;
    std::vector<TControl*> controls_;    // back to front
    std::vector<TWinControl*> tabList_;  // the windowed children in tab order
    std::int32_t tabOrder_ = -1;         // as read from a resource, until the parent sorts
    bool tabStop_ = false;
    bool aligning_ = false;
};

// The framework control whose window this is, or null.
TWinControl* FindControl(HWND window);

}  // namespace orvalis
