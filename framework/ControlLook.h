#pragma once
// The look that the framework's own controls share. Where the platform follows the
// desktop's theme (platform/ControlTheme.h), each part is the theme's; elsewhere the
// plain look: two-pixel bevels in the system colours (raised for buttons, sunken for
// boxes that hold text or values) and the small arrows of the up-down control.

#include "classes/Color.h"
#include "classes/Rect.h"
#include "graphics/Canvas.h"
#include "platform/ControlTheme.h"

namespace orvalis {

// Paints `part` in `rect` of the canvas in the desktop's theme; false, with nothing
// drawn, when the platform has no theme and the caller draws the plain look.
bool DrawThemedPart(TCanvas& canvas, const TRect& rect, platform::ControlPart part, platform::ControlState state);
// A one-pixel frame of `rect`, `topLeft` on the top and left edges and `bottomRight`
// on the others; `rect` shrinks by one pixel on every side.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topLeft, TColor bottomRight);
// The two-pixel bevels; `rect` becomes the area inside them.
void DrawRaisedBevel(TCanvas& canvas, TRect& rect);
void DrawSunkenBevel(TCanvas& canvas, TRect& rect);
enum class TArrowDirection { Up, Down, Left, Right };
// A small arrow centred in `rect`, pointing that way, greyed when not `enabled`; drawn
// at the resolution of the canvas's device, not enlarged from a one-unit drawing.
void DrawArrow(TCanvas& canvas, const TRect& rect, TArrowDirection direction, bool enabled);

}  // namespace orvalis
