#include "app/CommandLine.h"

#include <utility>

namespace orvalis {

namespace {

constexpr std::string_view kUsage =
    "Utilisation : orvalis [FICHIER]\n"
    "Fait défiler les vues numérotées d'une étude de perspective.\n"
    "\n"
    "Avec un FICHIER (une vue JPEG ou BMP, ou une image PNG), l'ouvre comme s'il avait été\n"
    "choisi dans la boîte d'ouverture ; sans FICHIER, la boîte d'ouverture s'affiche.\n"
    "\n"
    "  -h, --help     affiche cette aide et termine\n"
    "      --version  affiche le nom et la version et termine\n";

constexpr std::string_view kVersion = "Orvalis " ORVALIS_VERSION "\n";

constexpr std::string_view kTryHelp = "Saisissez « orvalis --help » pour plus d'informations.\n";

CommandLine Refusal(std::string problem) { return {CommandLine::Action::Refuse, {}, std::move(problem)}; }

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    std::vector<std::string> files;
    for (const std::string& argument : arguments) {
        // "-" alone is a name, as for every GNU program.
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            return {CommandLine::Action::Help, {}, {}};
        } else if (argument == "--version") {
            return {CommandLine::Action::Version, {}, {}};
        } else {
            return Refusal("option non reconnue « " + argument + " »");
        }
    }
    if (files.size() > 1)
        return Refusal("un seul fichier à la fois : « " + files[0] + " », puis « " + files[1] + " » de trop");
    if (!files.empty()) line.file = files.front();
    return line;
}

std::string_view UsageText() { return kUsage; }

std::string_view VersionText() { return kVersion; }

std::string_view TryHelpText() { return kTryHelp; }

}  // namespace orvalis
