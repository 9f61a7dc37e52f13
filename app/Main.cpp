// The program's entry: the viewer on the desktop backend. The command line is not used.
// Without a display the program says so in one French line and how to start it under a
// virtual one, and ends with status 1. SIGTERM, SIGINT and SIGHUP end the session: the
// loop ends through the normal shutdown.

#include <cstdio>

#include "app/ViewerStartup.h"
#include "platform/EndSession.h"
#include "platform/Platform.h"
#include "platform/gtk/GtkStartup.h"

int main() {
    using namespace orvalis;
    if (!platform::gtk::InstallGtkBackend()) {
        std::fprintf(stderr, "%s\n", platform::gtk::NoDisplayMessage());
        return 1;
    }
    platform::InstallEndSessionHandler();
    const int status = RunViewer();
    platform::RemoveBackend();
    return status;
}
