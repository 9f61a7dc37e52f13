#pragma once
// What a backend does for the platform layer. The generic layer keeps every window,
// the queue, the timers, focus and painting; a backend only shows top-level windows
// (created when a window is first shown), waits for its events, keeps the clock, runs
// the native message box and file dialog without blocking, and holds the clipboard.
// All calls come on the user-interface thread. Events go the other way through
// NativeInput.h; a backend calls those functions from inside WaitForEvents (or from a
// dialog call), and they are handled after it returns.

#include <cairo.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Accessibility.h"
#include "platform/ControlTheme.h"
#include "platform/Geometry.h"
#include "platform/Menu.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/OpenFileDialog.h"
#include "platform/ScreenMetrics.h"

namespace orvalis::platform {

struct NativeWindowState {
    std::string title;
    Rect outerBounds;  // screen coordinates, with the virtual frame
    Size clientSize;   // the surface's size
    std::uint32_t style = 0;
    const MenuBar* menu = nullptr;  // valid until the next SetNativeMenu or DestroyNativeWindow
    bool enabled = true;
    bool minimized = false;
    HWND owner = 0;  // the top-level window it belongs to (SetWindowOwner); 0: none
};

class Backend {
public:
    virtual ~Backend() = default;

    // Top-level windows, named by their handles.
    virtual void CreateNativeWindow(HWND window, const NativeWindowState& state) = 0;
    virtual void DestroyNativeWindow(HWND window) = 0;
    virtual void ShowNativeWindow(HWND window, bool visible) = 0;
    virtual void SetNativeTitle(HWND window, std::string_view title) = 0;
    virtual void SetNativeGeometry(HWND window, const Rect& outerBounds, Size clientSize) = 0;
    virtual void SetNativeMenu(HWND window, const MenuBar* menu) = 0;
    virtual void EnableNativeWindow(HWND window, bool enabled) = 0;
    virtual void MinimizeNativeWindow(HWND window, bool minimized) = 0;
    virtual void ActivateNativeWindow(HWND window) = 0;
    virtual void SetNativeOwner(HWND window, HWND owner) = 0;
    // The width that a menu bar's items take on one line as the backend shows them, in
    // the menu font (NonClientMetrics.h). Asked when a window gets the bar, which may be
    // before the window has a native one.
    virtual int MenuBarWidth(const MenuBar& menu) = 0;
    // Shows a part (client coordinates) of the window's surface.
    virtual void PresentSurface(HWND window, cairo_surface_t* surface, const Rect& area) = 0;

    // The monotonic clock in milliseconds.
    virtual std::uint64_t Now() = 0;
    // Waits until native events were handled, the deadline (a Now() value) passed, or
    // `wakeFd` became readable (a post from another thread, a signal). Returns at once
    // when any of them already holds.
    virtual void WaitForEvents(std::optional<std::uint64_t> deadline, int wakeFd) = 0;
    // Handles the native events already waiting, without blocking. Called whenever the
    // queue is read, so that a program that never runs out of messages (a timer whose
    // handler outlasts its period) still redraws and still takes input. A backend whose
    // events only move when the program waits (the scripted user) keeps the default.
    virtual void PollEvents() {}

    // Platform modal UI: shown without blocking, answered later through NativeInput.h.
    // Several can be open at once (a timer's handler may open one above another).
    virtual void ShowMessageBox(int dialog, const MessageBoxRequest& request) = 0;
    virtual void CloseMessageBox(int dialog) = 0;
    virtual void ShowOpenFileDialog(int dialog, const OpenFileRequest& request, const FileDialogState& initial) = 0;
    // A confirmed choice was refused (the dialog stays open): say why.
    virtual void RefuseOpenFileChoice(int dialog, const FileDialogRefusal& refusal) = 0;
    virtual void CloseOpenFileDialog(int dialog) = 0;
    virtual void Beep() = 0;

    // Assistive tools. A backend that shows the windows to them answers true, and is then
    // given the description of each shown window whenever the program is about to wait
    // (Accessibility.h); it reports their requests with native::AccessibleRequested.
    virtual bool DescribesWindows() { return false; }
    virtual void SetAccessibleTree(HWND /*window*/, const AccessibleElement& /*root*/) {}

    virtual bool SetClipboardText(std::string_view text) = 0;
    virtual std::optional<std::string> GetClipboardText() = 0;
    virtual ScreenMetrics Screen() = 0;
    // The desktop's theme for the controls the framework draws (ControlTheme.h); none
    // keeps the framework's own look.
    virtual const ControlTheme* Theme() const { return nullptr; }
};

}  // namespace orvalis::platform
