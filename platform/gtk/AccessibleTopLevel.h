#pragma once
// The GtkWindow of a top-level platform window, whose accessible object is GTK's own for a
// window with one addition: the `modal` state of a window that the platform runs modally
// (the options dialog, a message dialog), as a GTK modal dialog carries it, so that a
// screen reader keeps to the dialog. GTK gives that state only to a window made modal by
// gtk_window_set_modal, which would add GTK's own input grab to the platform's disabling
// of the other windows: the window stays out of GTK's modality, and only its accessible
// object says it is modal.

#include <gtk/gtk.h>

namespace orvalis::platform::gtk {

// A new top-level GtkWindow (as gtk_window_new(GTK_WINDOW_TOPLEVEL)).
GtkWidget* NewAccessibleTopLevel();
// Whether the window's accessible object carries the modal state; the change is announced.
// A window not made by NewAccessibleTopLevel is left alone.
void SetAccessibleModal(GtkWindow* window, bool modal);

}  // namespace orvalis::platform::gtk
