#pragma once
// Internal: what painting keeps for the other sources (Painting.cpp): the invalid areas
// of the windows and the surfaces of the top-level windows.

#include <cairo.h>

#include "platform/CairoPointers.h"
#include "platform/Geometry.h"
#include "platform/Messages.h"

namespace orvalis::platform::detail {

struct Desktop;
struct WindowRecord;

// The part of the window that shows, in its top-level window's client coordinates:
// within the top-level window's surface (below), so nothing off the screen is painted.
RegionPtr VisibleRegion(Desktop& desktop, const WindowRecord& record);
// Invalidates (with erase) an area of a top-level client area in every window it shows.
void InvalidateArea(Desktop& desktop, WindowRecord& topLevel, const cairo_region_t* area);
void InvalidateWholeTree(Desktop& desktop, WindowRecord& topLevel);
// The size of a top-level window's surface in units: its client area from the client
// origin, up to where the screen can show it (the screen's size, more when the window
// lies partly left of or above the screen). A picture larger than the screen is then
// painted, and kept, only as far as it can be seen.
Size SurfaceSizeOf(Desktop& desktop, const WindowRecord& topLevel);
// Makes the surface match that size and the device scale, keeping the pixels that
// still fit.
void SyncSurface(Desktop& desktop, WindowRecord& topLevel);
HWND FindWindowToPaint(Desktop& desktop);

}  // namespace orvalis::platform::detail
