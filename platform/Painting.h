#pragma once
// Painting. Every top-level window has a drawing surface of its client area (a cairo
// image surface, 32-bit xRGB, recreated on resize with the old pixels kept where they
// fit), which stops where the screen ends: a client area larger than the screen is
// painted and kept only as far as it can be seen. A window's drawing context is a cairo
// context on its top-level window's surface, translated to the window's client origin
// and clipped to the part of it that shows: on the surface, inside every ancestor,
// outside its visible children and outside the visible siblings in front of it.

#include <cairo.h>

#include "platform/Geometry.h"
#include "platform/Messages.h"

namespace orvalis::platform {

struct PaintStruct {
    cairo_t* context = nullptr;
    Rect paint;          // the bounds of the area to paint, in client coordinates
    bool erase = false;  // the background still needs erasing (WM_ERASEBKGND answered 0)
};

// Adds an area (client coordinates; null: the whole client area) to the window's
// invalid area; only the part that shows counts. WM_PAINT follows when the queue has
// nothing else. `erase`: BeginPaint will send WM_ERASEBKGND first.
void InvalidateRect(HWND window, const Rect* area, bool erase);
void ValidateRect(HWND window, const Rect* area);
// The bounds of the invalid area; false when it is empty.
bool GetUpdateRect(HWND window, Rect& bounds);
// Sends WM_PAINT at once when the window has an invalid area.
void UpdateWindow(HWND window);

// A context clipped to the invalid area that shows; the area becomes valid. Sends
// WM_ERASEBKGND (wParam: the cairo_t*) when an erase was asked for.
cairo_t* BeginPaint(HWND window, PaintStruct& paint);
// Releases the context and has the backend show the painted part.
void EndPaint(HWND window, const PaintStruct& paint);

// A context on the whole part of the window that shows, outside painting; window 0
// gives a context on a scratch surface (for measuring text). ReleaseDC shows what
// was drawn.
cairo_t* GetDC(HWND window);
void ReleaseDC(HWND window, cairo_t* context);

// The drawing surface of a top-level window (created when first needed): client
// coordinates, with a device scale of GetWindowScale.
cairo_surface_t* GetWindowSurface(HWND topLevelWindow);
// Device pixels per unit of the screen the window's top-level window shows on (1 until the
// backend says otherwise; 2 on a high-density screen).
int GetWindowScale(HWND window);

}  // namespace orvalis::platform
