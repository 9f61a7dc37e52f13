#include "platform/gtk/DisplayConnection.h"

#include <glib-unix.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

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

std::string& LostDisplayText() {
    static std::string text;
    return text;
}

// Nothing that depends on the display may run any more (windows, GTK's own exit
// handlers): the program ends here, as GDK itself ends a program whose display is gone.
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

// What GDK says just before it ends the program itself, when it meets the lost connection
// before the watch does (a flush while painting, a read of events).
constexpr std::string_view kGdkLostConnection[] = {
    "Error flushing display:", "Error reading events from display:", "dispatching to Wayland display.",
    "Lost connection to Wayland compositor."};

bool SaysConnectionLost(const GLogField* fields, gsize count) {
    std::string_view domain;
    std::string_view message;
    for (gsize i = 0; i < count; ++i) {
        if (fields[i].length >= 0 || fields[i].value == nullptr) continue;  // not a string field
        const char* value = static_cast<const char*>(fields[i].value);
        if (std::strcmp(fields[i].key, "GLIB_DOMAIN") == 0) domain = value;
        if (std::strcmp(fields[i].key, "MESSAGE") == 0) message = value;
    }
    return domain == "Gdk" && std::any_of(std::begin(kGdkLostConnection), std::end(kGdkLostConnection),
                                          [&](std::string_view sign) { return message.find(sign) != message.npos; });
}

// Every log message goes through here (GLib's plain and structured logging alike): GDK's
// own last words on a lost connection give way to the program's line.
GLogWriterOutput WriteLogMessage(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer) {
    if ((level & G_LOG_LEVEL_MESSAGE) != 0 && SaysConnectionLost(fields, count)) EndForLostDisplay();
    return g_log_writer_default(level, fields, count, nullptr);
}

#ifdef GDK_WINDOWING_X11
// Xlib calls this when the connection breaks inside any request, then would end the
// program itself with an English message.
int OnX11ConnectionBroken(Display*) { EndForLostDisplay(); }
#endif

}  // namespace

void WatchDisplayConnection(GdkDisplay* display, std::string_view lostDisplayText) {
    LostDisplayText() = lostDisplayText;
    g_log_set_writer_func(WriteLogMessage, nullptr, nullptr);
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
