#pragma once
// The connection to the display server (X11 or Wayland). When it is lost (the server or
// the compositor went away) the program ends with its line for that on its error stream
// and status 1, rather than wait or spin on a connection that will never answer.

#include <gtk/gtk.h>

#include <string_view>

namespace orvalis::platform::gtk {

// Watches the connection of `display` for the rest of the program's life: its end, seen
// while waiting for events or inside a request that waits for the server, ends the program
// with `lostDisplayText` (the program's own line) on its error stream.
void WatchDisplayConnection(GdkDisplay* display, std::string_view lostDisplayText);
// Ends the program at once if the connection of `display` is known to be gone; for calls
// that would otherwise wait for an answer forever.
void EndIfDisplayLost(GdkDisplay* display);

}  // namespace orvalis::platform::gtk
