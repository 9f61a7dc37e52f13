#pragma once
// Raising a window of ours and giving it the keyboard now. Activation is the platform's
// decision, so the request carries the server's current time: it is honoured with or
// without a window manager, and after a dialog went away (which moved the focus later
// than the last user event).

#include <gtk/gtk.h>

namespace orvalis::platform::gtk {

// The window must be shown.
void PresentNow(GtkWindow* window);

}  // namespace orvalis::platform::gtk
