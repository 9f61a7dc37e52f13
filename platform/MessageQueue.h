#pragma once
// The message queue of the user-interface thread.
//
// PeekMessage takes, in this order:
//   1. posted messages (PostMessage, TranslateMessage's characters), first in first out;
//   2. WM_QUIT, once, when PostQuitMessage was called and nothing is posted;
//   3. input (keys and mouse), routed when it is taken: keys to the focus window (or the
//      active window when nothing has the focus), mouse to the capturing window or the
//      window under the cursor; input for a disabled window is dropped;
//   4. WM_PAINT for a visible window with an invalid area (the message stays until the
//      area is validated);
//   5. WM_TIMER for a due timer (one per timer however many periods passed).
// Before looking, it handles what the backend reported (native events) and the
// end-session notice (EndSession.h), which is sent as WM_ENDSESSION to the top-level
// windows and then returned as a WM_NULL message so that the loop looks at its state.

#include <cstdint>

#include "platform/Messages.h"

namespace orvalis::platform {

enum : std::uint32_t { PM_NOREMOVE = 0x0, PM_REMOVE = 0x1 };

// Thread-safe; wakes a waiting user-interface thread. A message to a window that is
// destroyed before its turn is dropped.
void PostMessage(HWND window, std::uint32_t message, WPARAM wParam, LPARAM lParam);
// Asks for WM_QUIT (wParam: the exit code) once nothing else is posted.
void PostQuitMessage(int exitCode);
// The next message, removed from the queue with PM_REMOVE; false when there is none.
bool PeekMessage(Message& message, std::uint32_t flags = PM_REMOVE);
// Returns when a message is available (at once if one already is), or when a platform
// dialog got its answer. Waits on the backend until the next timer is due otherwise.
void WaitMessage();
// Waits for the next message and removes it; false for WM_QUIT.
bool GetMessage(Message& message);
// Calls the window procedure directly (0 for a dead window).
LRESULT SendMessage(HWND window, std::uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
// Calls the procedure of the message's window (nothing for window 0 or a dead window).
LRESULT DispatchMessage(const Message& message);
// A key-down (or system key-down) with a character posts WM_CHAR (WM_SYSCHAR) with its
// code point to the same window: Ctrl with a letter gives the control code (Ctrl+C is
// 3); Ctrl with any other character gives none. Returns whether a character was posted.
bool TranslateMessage(const Message& message);

}  // namespace orvalis::platform
