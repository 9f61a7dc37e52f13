#include "app/ViewerStartup.h"

#include "app/MainOrvalis.h"
#include "app/UOptions.h"
#include "codecs/JPEGImage.h"
#include "framework/Application.h"
#include "framework/Program.h"

namespace orvalis {

int RunViewer() {
    bool jpegStarted = false;
    const int status = RunProgram([&](TApplication& application) {
        StartUpJPEGImage();
        jpegStarted = true;
        application.Startup();
        application.CreateAppForm(Orvalis);
        application.CreateAppForm(Options);
        application.RunMessageLoop();
    });
    // The forms are gone with the application.
    Orvalis = nullptr;
    Options = nullptr;
    if (jpegStarted) ShutDownJPEGImage();
    return status;
}

}  // namespace orvalis
