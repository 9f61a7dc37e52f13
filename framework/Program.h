#pragma once
// The run of a program, the same for the viewer and for the tests: on the backend that
// the caller installed (the desktop one, or the headless one in tests), the screen and
// the application object are made, `body` runs the start-up (Startup, CreateAppForm for
// each form, RunMessageLoop), then the program ends: ShutdownApplication when the loop
// asked for it (the forms destroyed, the last made first), and the application and the
// screen go.
//
// An exception that escapes `body` is shown through ReportException; one that is not a
// framework exception is shown as a framework exception with an empty message.
//
//     platform::InstallBackend(...);
//     RunProgram([](TApplication& application) {
//         application.Startup();
//         application.CreateAppForm(Orvalis);
//         application.CreateAppForm(Options);
//         application.RunMessageLoop();
//     });

#include <functional>

namespace orvalis {

class TApplication;

// Returns 0 in every case.
int RunProgram(const std::function<void(TApplication& application)>& body);

}  // namespace orvalis
