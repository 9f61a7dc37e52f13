#include "app/ViewerStartup.h"

#include <malloc.h>

#include <csignal>

#include "app/MainOrvalis.h"
#include "app/UOptions.h"
#include "codecs/JPEGImage.h"
#include "framework/Application.h"
#include "framework/Program.h"
#include "runtime/String.h"

namespace orvalis {

int RunViewer(const std::string& fileAtStart) {
    // Blocks of 128 KiB and more (pictures, the bytes of a view's file) are mapped apart
    // and go back to the system when freed. Left to itself the C library raises that
    // bound after the first such block is freed, and the next view's file, a few MB,
    // would then stay in the heap after its decode, on top of the pictures.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // A limit on the size of the files the program writes (ulimit -f) would otherwise kill
    // it mid-report: ignored, the signal lets the log's write fail with EFBIG, which the
    // count tells the user and cuts back to the last whole report.
    std::signal(SIGXFSZ, SIG_IGN);
    bool jpegStarted = false;
    const int status = RunProgram([&](TApplication& application) {
        StartUpJPEGImage();
        jpegStarted = true;
        application.Startup();
        application.CreateAppForm(Orvalis);
        if (!fileAtStart.empty()) Orvalis->OpenAtStart(String(fileAtStart));
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
