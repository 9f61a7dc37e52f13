#pragma once
// Keyboard focus, the active top-level window, mouse capture, and the state of the
// keys and of the cursor as the input left them.

#include <cstdint>

#include "platform/Geometry.h"
#include "platform/Messages.h"

namespace orvalis::platform {

// WM_KILLFOCUS (wParam: the new focus) to the old focus window, then WM_SETFOCUS
// (wParam: the old one) to the new; the new window's top-level window is activated
// first. Refused (returns 0, nothing changes) for a window that is disabled or lies
// below a disabled or hidden one. SetFocus(0) takes the focus away. Returns the old focus.
HWND SetFocus(HWND window);
HWND GetFocus();

// Activation of visible, enabled top-level windows: WM_ACTIVATE (WA_INACTIVE, lParam
// the new window) to the old active window, WM_ACTIVATEAPP to every top-level window
// when the application as a whole becomes active or inactive, WM_ACTIVATE (WA_ACTIVE,
// lParam the old window) to the new one, whose top-level windows come to the front;
// when the focus is not inside the new window afterwards it goes to that window.
// SetActiveWindow(0) deactivates the application. Returns the old active window.
HWND SetActiveWindow(HWND window);
HWND GetActiveWindow();

// Mouse capture: all mouse input goes to the capturing window, in its client
// coordinates, wherever the cursor is. WM_CAPTURECHANGED tells the window that loses it.
HWND SetCapture(HWND window);
bool ReleaseCapture();
HWND GetCapture();

// The state of a key as of the last key input taken from the queue, or dropped there
// because no window could take it (a box up disables the task's windows): negative
// (high bit set) while down, low bit toggled at each press.
std::int16_t GetKeyState(int virtualKey);
// The cursor in screen coordinates, as of the last mouse input.
Point GetCursorPos();

}  // namespace orvalis::platform
