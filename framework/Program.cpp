#include "framework/Program.h"

#include <cassert>
#include <new>

#include "framework/Application.h"
#include "framework/Screen.h"
#include "runtime/ScopedValue.h"

namespace orvalis {

int RunProgram(const std::function<void(TApplication& application)>& body) {
    assert(!Screen && !Application && "one program at a time");
    TScreen screen;
    ScopedValue<TScreen*> screenInstalled(Screen, &screen);
    // Put back after the application is gone: its destruction still reaches it.
    ScopedValue applicationInstalled(Application);
    TApplication application;
    Application = &application;
    try {
        body(application);
    } catch (const Exception& exception) {
        application.ReportException(exception);
    } catch (const std::bad_alloc&) {
        application.ReportException(EOutOfMemory(ResId::OutOfMemory));
    } catch (...) {
        application.ReportException(Exception(String()));
    }
    if (application.ShutdownRequested()) application.ShutdownApplication();
    return 0;
}

}  // namespace orvalis
