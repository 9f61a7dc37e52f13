#pragma once
// Reading the screen for assertions: windows by caption or text, and pixels.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/Messages.h"

namespace orvalis::platform::headless {

// Visible top-level windows, front first.
std::vector<HWND> VisibleTopLevelWindows();
// The first top-level window (front first) with that caption; 0 when none.
HWND FindTopLevelWindow(std::string_view caption);
// The first window below `parent` (depth first, front first) with that text; 0 when none.
HWND FindChildWindow(HWND parent, std::string_view text);
// The pixel at a point of a window's client area (child windows too), as 0x00RRGGBB,
// read from its top-level window's surface (at a device scale above 1, the device pixel at
// the point's top left).
std::uint32_t PixelAt(HWND window, Point client);
// A window's description as assistive tools read it, one line per element, two blanks of
// indentation per level, the bounds left out:
//   role "name" [states] says "description" text "text" at caret value current in min..max click
// with the states in the order showing, enabled, focusable, focused, checked, default,
// editable, and each part after the states only when the element has it.
std::vector<std::string> AccessibleOutline(const AccessibleElement& root);

}  // namespace orvalis::platform::headless
