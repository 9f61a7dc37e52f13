#pragma once
// The plain look that the framework's own controls share: two-pixel bevels in the
// system colours (raised for buttons, sunken for boxes that hold text or values) and
// the small arrows of the up-down control.

#include "framework/classes/Color.h"
#include "framework/classes/Rect.h"
#include "graphics/Canvas.h"

namespace orvalis {

// A one-pixel frame of `rect`, `topLeft` on the top and left edges and `bottomRight`
// on the others; `rect` shrinks by one pixel on every side.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topLeft, TColor bottomRight);
// The two-pixel bevels; `rect` becomes the area inside them.
void DrawRaisedBevel(TCanvas& canvas, TRect& rect);
void DrawSunkenBevel(TCanvas& canvas, TRect& rect);
enum class TArrowDirection { Up, Down, Left, Right };
// A small filled triangle centred in `rect`, pointing that way, in `color`.
void DrawArrow(TCanvas& canvas, const TRect& rect, TArrowDirection direction, TColor color);

}  // namespace orvalis
