#include "framework/Program.h"

#include <cassert>

#include "framework/Application.h"
#include "framework/Screen.h"

namespace orvalis {

int RunProgram(const std::function<void(TApplication& application)>& body) {
    assert(!Screen && !Application && "one program at a time");
    TScreen screen;
    Screen = &screen;
    struct Globals {
        ~Globals() {
            Application = nullptr;
            Screen = nullptr;
        }
    } globals;
    TApplication application;
    Application = &application;
    try {
        body(application);
    } catch (const Exception& exception) {
        application.ReportException(exception);
    } catch (...) {
        application.ReportException(Exception(String()));
    }
    if (application.ShutdownRequested()) application.ShutdownApplication();
    return 0;
}

}  // namespace orvalis
