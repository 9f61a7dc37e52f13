#pragma once
// The part of the screen that windows may take (the monitor's area without the panels
// and docks the desktop keeps), which no top-level window of the program exceeds: a
// window larger than it (a large view, a chooser sized for a desktop screen shown on a
// small or high-density one) would leave its edges and its buttons out of reach.

#include <gtk/gtk.h>

namespace orvalis::platform::gtk {

// The work area of the monitor the window is on, else of its owner's, else of the
// primary monitor; in units (logical pixels). Empty when the display has no monitor.
GdkRectangle WorkAreaOf(GtkWindow* window);

// Holds the window within its work area by a maximum size, so that every size GTK gives
// it later (a dialog that sizes itself again after it is shown) stays within it too.
void BoundToWorkArea(GtkWindow* window);

}  // namespace orvalis::platform::gtk
