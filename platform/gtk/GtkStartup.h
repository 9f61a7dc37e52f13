#pragma once
// Starting the desktop: the program registers its icon resource "MAINICON", if it has
// one, then calls InstallGtkBackend with its own line for a lost display and, when that
// fails, tells the user that a display is needed and ends with a non-zero status.
//
//     RegisterResource(ResourceType::Icon, "MAINICON", icon);
//     if (!platform::gtk::InstallGtkBackend(lostDisplayText)) {
//         std::fprintf(stderr, "%s\n", noDisplayText);
//         return 1;
//     }
//     platform::InstallEndSessionHandler();
//     ...
//     platform::RemoveBackend();

#include <string_view>

namespace orvalis::platform::gtk {

// Opens the default display (GTK's own command-line options are not read: the program
// takes none) and installs the desktop backend as the platform's. The icon resource
// "MAINICON", when the program registered one, becomes every window's icon; should the
// display go away later, the program ends with `lostDisplayText`, its own line for that.
// False, with nothing installed, when no display can be opened.
bool InstallGtkBackend(std::string_view lostDisplayText);

}  // namespace orvalis::platform::gtk
