#include "platform/gtk/GtkStartup.h"

#include <gtk/gtk.h>

#include <clocale>
#include <memory>

#include "platform/Platform.h"
#include "platform/gtk/AppIcon.h"
#include "platform/gtk/DisplayConnection.h"
#include "platform/gtk/GtkBackend.h"
#include "runtime/Resources.h"

namespace orvalis::platform::gtk {

bool InstallGtkBackend(std::string_view lostDisplayText) {
    static bool opened = false;
    if (!opened) {
        // GTK's dialogs speak the user's language, but the program's own conversions keep
        // the "C" rules for numbers and characters, as on any backend.
        gtk_disable_setlocale();
        std::setlocale(LC_MESSAGES, "");
        // Windows show cairo image surfaces; nothing is drawn with OpenGL. Left to itself
        // GDK opens GLX at start to choose a visual, which loads the GL driver (with a
        // software renderer, tens of megabytes of code resident for nothing). A user's
        // own GDK_GL setting stays.
        g_setenv("GDK_GL", "disable", FALSE);
        opened = gtk_init_check(nullptr, nullptr);
        if (!opened) return false;
        WatchDisplayConnection(gdk_display_get_default(), lostDisplayText);
        // No style animations in GTK's dialogs: the file chooser keeps one running out of
        // sight (60 frames a second while it is shown, 1 % of a core), so a program that
        // waits for the user would not be idle. Its widgets look the same, still.
        g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    }

    // The application's icon, when the program registered one, is every window's.
    if (const auto icon = FindResource(ResourceType::Icon, "MAINICON")) SetDefaultWindowIcon(*icon);
    InstallBackend(std::make_unique<GtkBackend>());
    return true;
}

}  // namespace orvalis::platform::gtk
