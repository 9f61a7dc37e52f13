// The program's entry: the viewer on the desktop backend, started on the file that the
// command line names, if any (CommandLine.h). "--help" and "--version" answer on the
// output stream without a display; a command line that cannot be read is told on the
// error stream and ends with status 2. Without a display the program says so in one
// French line and how to start it under a virtual one, and ends with status 1. SIGTERM,
// SIGINT and SIGHUP end the session: the loop ends through the normal shutdown.

#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/MainIcon.h"
#include "app/ViewerStartup.h"
#include "app/ViewerTexts.h"
#include "platform/EndSession.h"
#include "platform/Platform.h"
#include "platform/gtk/GtkStartup.h"

namespace {

void Print(std::FILE* stream, std::string_view text) { std::fwrite(text.data(), 1, text.size(), stream); }

}  // namespace

int main(int argc, char** argv) {
    using namespace orvalis;
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.action) {
        case CommandLine::Action::Help: Print(stdout, UsageText()); return 0;
        case CommandLine::Action::Version: Print(stdout, VersionText()); return 0;
        case CommandLine::Action::Refuse:
            std::fprintf(stderr, "orvalis : %s\n", line.problem.c_str());
            Print(stderr, TryHelpText());
            return 2;
        case CommandLine::Action::Run: break;
    }
    RegisterMainIcon();
    if (!platform::gtk::InstallGtkBackend(texts::kLostDisplay)) {
        std::fprintf(stderr, "%.*s\n", static_cast<int>(texts::kNoDisplay.size()), texts::kNoDisplay.data());
        return 1;
    }
    platform::InstallEndSessionHandler();
    const int status = RunViewer(line.file);
    platform::RemoveBackend();
    return status;
}
