#pragma once
// The program's command line, `orvalis [FICHIER]`, as GNU programs read theirs: "--help"
// (or "-h") and "--version" answer and end, "--" ends the options, and one file at most
// is opened at start in place of the first file dialog. The file manager, a terminal
// and xdg-open all start the viewer this way.

#include <string>
#include <string_view>
#include <vector>

namespace orvalis {

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    // Run: the file to open at start, as given; empty: the first file dialog.
    std::string file;
    // Refuse: what is wrong, in French, for the error stream.
    std::string problem;
};

// Reads the arguments that follow the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// What "--help" prints.
std::string_view UsageText();
// What "--version" prints: the name and the version.
std::string_view VersionText();
// The line that follows a refusal on the error stream.
std::string_view TryHelpText();

}  // namespace orvalis
