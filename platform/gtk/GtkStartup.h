#pragma once
// Starting the desktop: the program calls InstallGtkBackend() first thing and, when it
// fails, prints NoDisplayMessage() and ends with a non-zero status.
//
//     if (!platform::gtk::InstallGtkBackend()) {
//         std::fprintf(stderr, "%s\n", platform::gtk::NoDisplayMessage());
//         return 1;
//     }
//     platform::InstallEndSessionHandler();
//     ...
//     platform::RemoveBackend();

namespace orvalis::platform::gtk {

// Opens the default display (GTK's own command-line options are not read: the program
// takes none) and installs the desktop backend as the platform's. The application icon
// "MAINICON" is registered as a resource, unless the program brought its own, and becomes
// every window's icon. False, with nothing installed, when no display can be opened.
bool InstallGtkBackend();
// One line for the user, in French, saying that a display is needed and how to get one.
const char* NoDisplayMessage();

}  // namespace orvalis::platform::gtk
