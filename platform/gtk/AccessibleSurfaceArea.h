#pragma once
// The drawing area of a top-level window, which shows the window's surface, and whose
// accessible object holds the elements of the window's description as its children
// (WindowAccessibility), so that assistive tools see the framework's controls rather than
// one unnamed drawing area.

#include <gtk/gtk.h>

#include "platform/Accessibility.h"

namespace orvalis::platform::gtk {

// A new drawing area (floating reference, as gtk_drawing_area_new) for the platform window.
GtkWidget* NewAccessibleSurfaceArea(HWND window);
// The window's new description; what changed is announced to the tools that look.
void SetAccessibleDescription(GtkWidget* area, const AccessibleElement& root);

}  // namespace orvalis::platform::gtk
