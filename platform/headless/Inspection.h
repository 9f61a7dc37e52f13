#pragma once
// Reading the screen for assertions: windows by caption or text, and pixels.

#include <cstdint>
#include <string_view>
#include <vector>

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

}  // namespace orvalis::platform::headless
