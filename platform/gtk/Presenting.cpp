#include "platform/gtk/Presenting.h"

#include "platform/gtk/DisplayConnection.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

namespace orvalis::platform::gtk {

void PresentNow(GtkWindow* window) {
    // On Wayland, GDK waits for the compositor's activation token in a loop of its own that
    // never ends once the compositor is gone.
    EndIfDisplayLost(gtk_widget_get_display(GTK_WIDGET(window)));
    guint32 time = GDK_CURRENT_TIME;
#ifdef GDK_WINDOWING_X11
    GdkWindow* native = gtk_widget_get_window(GTK_WIDGET(window));
    if (native && GDK_IS_X11_WINDOW(native)) {
        // The server answers through a property change on the window, which must be selected.
        gdk_window_set_events(native,
                              static_cast<GdkEventMask>(gdk_window_get_events(native) | GDK_PROPERTY_CHANGE_MASK));
        time = gdk_x11_get_server_time(native);
    }
#endif
    gtk_window_present_with_time(window, time);
    // The request leaves now, not at the next wait: keys typed meanwhile go to the window.
    gdk_display_flush(gtk_widget_get_display(GTK_WIDGET(window)));
}

}  // namespace orvalis::platform::gtk
