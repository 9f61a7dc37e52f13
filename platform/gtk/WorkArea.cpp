#include "platform/gtk/WorkArea.h"

namespace orvalis::platform::gtk {

GdkRectangle WorkAreaOf(GtkWindow* window) {
    GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window));
    GtkWindow* owner = gtk_window_get_transient_for(window);
    // A window not shown yet has no place of its own: it will be placed over its owner.
    GdkWindow* shown = gtk_widget_get_mapped(GTK_WIDGET(window)) ? gtk_widget_get_window(GTK_WIDGET(window)) : nullptr;
    if (!shown && owner) shown = gtk_widget_get_window(GTK_WIDGET(owner));
    GdkMonitor* monitor = shown ? gdk_display_get_monitor_at_window(display, shown) : nullptr;
    if (!monitor) monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    GdkRectangle area{};
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return area;
}

void BoundToWorkArea(GtkWindow* window) {
    const GdkRectangle area = WorkAreaOf(window);
    if (area.width <= 0 || area.height <= 0) return;
    GdkGeometry bound{};
    bound.max_width = area.width;
    bound.max_height = area.height;
    gtk_window_set_geometry_hints(window, nullptr, &bound, GDK_HINT_MAX_SIZE);
}

}  // namespace orvalis::platform::gtk
