#pragma once
// The viewer's run, the same for the program and its end-to-end tests, on the platform
// backend that the caller installed: the JPEG image joins the picture's formats, then
// the application starts, builds the main window Orvalis (which truncates espion.log in
// the working directory) and the options dialog Options from their form resources, and
// runs the message loop until the main window closes. Given a file, the main window
// opens it at first show in place of the first file dialog. An exception that escapes
// the start-up is shown in the application's error box. Returns 0 in every case. A
// write past the file-size limit fails (EFBIG) rather than ending the process (SIGXFSZ
// is ignored), so that the count reports it.
//
// The form resources TORVALIS and TOPTIONS must be embedded in the executable
// (orvalis_add_form_resources).

#include <string>

namespace orvalis {

int RunViewer(const std::string& fileAtStart = {});

}  // namespace orvalis
