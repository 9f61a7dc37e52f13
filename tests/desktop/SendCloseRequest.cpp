// Asks an X window to close, as a window manager's close box does: the client message
// WM_PROTOCOLS with WM_DELETE_WINDOW. The desktop tests run without a window manager, so
// they press the close box with this.
//
//     desktop_send_close WINDOW_ID     (decimal, as xdotool prints it)

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: desktop_send_close WINDOW_ID\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "desktop_send_close: cannot open the display\n");
        return 1;
    }
    Window window = std::strtoul(argv[1], nullptr, 10);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
