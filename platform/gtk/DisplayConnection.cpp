#include "platform/gtk/DisplayConnection.h"

#include <glib-unix.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#ifdef GDK_WINDOWING_X11
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#endif
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#include <wayland-client.h>
#endif

namespace orvalis::platform::gtk {

namespace {

// Nothing that depends on the display may run any more (windows, GTK's own exit
// handlers): the program ends here, as GDK itself ends a program whose display is gone.
std::string& LostDisplayText() {
    static std::string text;
    return text;
}

[[noreturn]] void EndForLostDisplay() {
    std::fprintf(stderr, "%s\n", LostDisplayText().c_str());
    _exit(1);
}

int ConnectionFd(GdkDisplay* display) {
#ifdef GDK_WINDOWING_X11
    if (GDK_IS_X11_DISPLAY(display)) return ConnectionNumber(gdk_x11_display_get_xdisplay(display));
#endif
#ifdef GDK_WINDOWING_WAYLAND
    if (GDK_IS_WAYLAND_DISPLAY(display)) return wl_display_get_fd(gdk_wayland_display_get_wl_display(display));
#endif
    return -1;
}

gboolean OnConnectionClosed(gint, GIOCondition, gpointer) { EndForLostDisplay(); }

#ifdef GDK_WINDOWING_X11
// Xlib calls this when the connection breaks inside any request, then would end the
// program itself with an English message.
int OnX11ConnectionBroken(Display*) { EndForLostDisplay(); }
#endif

}  // namespace

void WatchDisplayConnection(GdkDisplay* display, std::string_view lostDisplayText) {
    LostDisplayText() = lostDisplayText;
    const int fd = ConnectionFd(display);
    if (fd < 0) return;
    // Before GDK's own event source (default priority), which would read the closed
    // connection first and end the program with its own English message.
    g_unix_fd_add_full(G_PRIORITY_HIGH, fd, static_cast<GIOCondition>(G_IO_HUP | G_IO_ERR), OnConnectionClosed, nullptr,
                       nullptr);
#ifdef GDK_WINDOWING_X11
    if (GDK_IS_X11_DISPLAY(display)) XSetIOErrorHandler(OnX11ConnectionBroken);
#endif
}

void EndIfDisplayLost(GdkDisplay* display) {
    const int fd = ConnectionFd(display);
    if (fd < 0) return;
    pollfd connection{fd, 0, 0};
    if (poll(&connection, 1, 0) > 0 && (connection.revents & (POLLHUP | POLLERR))) EndForLostDisplay();
#ifdef GDK_WINDOWING_WAYLAND
    if (GDK_IS_WAYLAND_DISPLAY(display) && wl_display_get_error(gdk_wayland_display_get_wl_display(display)) != 0)
        EndForLostDisplay();
#endif
}

}  // namespace orvalis::platform::gtk
