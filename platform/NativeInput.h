#pragma once
// What a backend reports to the generic layer: the user's input and the answers of the
// native dialogs. Each call only records the event; the queue handles it later (input is
// routed when its message is taken), so no window procedure runs inside a backend.
// User-interface thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/Messages.h"

namespace orvalis::platform::native {

enum class MouseButton { Left, Right, Middle };

// A key went down (or repeats) or up. `character`: what the key produces with the
// modifiers held (Tab 9, Enter 13, Escape 27, Backspace 8; 0 for none).
void KeyEvent(int virtualKey, char32_t character, unsigned modifiers, bool down, bool repeat = false);
// Mouse input at a point of a top-level window's client area.
void MouseButtonEvent(HWND topLevel, Point client, MouseButton button, bool down, bool doubleClick, unsigned modifiers);
void MouseMoveEvent(HWND topLevel, Point client, unsigned modifiers);
// The close box: WM_SYSCOMMAND SC_CLOSE is posted to the window (WM_CLOSE by default).
void CloseRequested(HWND topLevel);
// A menu item was chosen: WM_COMMAND with its id, when the window and the item are enabled.
void MenuItemChosen(HWND topLevel, std::uint32_t id);
// The user brought the window forward; a disabled window gives the activation back.
void WindowActivated(HWND topLevel);
// The user resized or moved the native window.
void WindowResized(HWND topLevel, Size clientSize);
void WindowMoved(HWND topLevel, Point outerPosition);
// The window shows on a screen of this many device pixels per unit (2 on a high-density
// screen): its surface is remade at that density and the window repainted.
void WindowScaleChanged(HWND topLevel, int scale);
// The desktop's theme changed (the backend's ControlTheme follows it): every window is
// repainted.
void ThemeChanged();

// An assistive tool asks something of an element of the window's description.
void AccessibleRequested(HWND topLevel, AccessibleRequest request);

// The message box was answered with a button id.
void MessageBoxAnswered(int dialog, int button);
// The file dialog: filter entry chosen (1-based), folder entered, file selected or
// typed, choice confirmed (names within the folder), cancelled.
void FileDialogFilterChanged(int dialog, int filterIndex);
void FileDialogFolderChanged(int dialog, std::string folder);
void FileDialogSelectionChanged(int dialog, std::string path);
void FileDialogConfirmed(int dialog, std::string folder, std::vector<std::string> names, bool readOnly);
void FileDialogCancelled(int dialog);

}  // namespace orvalis::platform::native
