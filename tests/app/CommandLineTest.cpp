// The program's command line, read as GNU programs read theirs: one file at most, help
// and version, "--" before a name that begins with a dash, and French refusals.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace orvalis::test {
namespace {

using Action = CommandLine::Action;

struct Case {
    std::vector<std::string> arguments;
    Action action;
    std::string file;     // Run
    std::string problem;  // Refuse
};

TEST(CommandLineTest, ArgumentsGiveTheActionTheFileOrTheProblem) {
    const Case cases[] = {
        {{}, Action::Run, "", ""},
        {{"vue3.jpg"}, Action::Run, "vue3.jpg", ""},
        {{"/plans/vue 3.jpg"}, Action::Run, "/plans/vue 3.jpg", ""},
        {{"-"}, Action::Run, "-", ""},
        {{"--", "-vue3.jpg"}, Action::Run, "-vue3.jpg", ""},
        {{"--", "--help"}, Action::Run, "--help", ""},
        {{"vue3.jpg", "--"}, Action::Run, "vue3.jpg", ""},
        {{"--help"}, Action::Help, "", ""},
        {{"-h"}, Action::Help, "", ""},
        {{"vue3.jpg", "--help"}, Action::Help, "", ""},
        {{"--version"}, Action::Version, "", ""},
        {{"--help", "--bavard"}, Action::Help, "", ""},
        {{"--bavard", "--help"}, Action::Refuse, "", "option non reconnue « --bavard »"},
        {{"-x"}, Action::Refuse, "", "option non reconnue « -x »"},
        {{"--help=oui"}, Action::Refuse, "", "option non reconnue « --help=oui »"},
        {{"a.jpg", "b.jpg"}, Action::Refuse, "", "un seul fichier à la fois : « a.jpg », puis « b.jpg » de trop"},
        {{"a.jpg", "--", "b.jpg"}, Action::Refuse, "", "un seul fichier à la fois : « a.jpg », puis « b.jpg » de trop"},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& argument : c.arguments) shown += " [" + argument + "]";
        SCOPED_TRACE("orvalis" + shown);
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.action, c.action);
        EXPECT_EQ(line.file, c.file);
        EXPECT_EQ(line.problem, c.problem);
    }
}

TEST(CommandLineTest, HelpAndVersionSayWhatTheyShould) {
    EXPECT_TRUE(UsageText().starts_with("Utilisation : orvalis [FICHIER]\n"));
    EXPECT_NE(UsageText().find("--version"), std::string_view::npos);
    EXPECT_TRUE(UsageText().ends_with("\n"));
    EXPECT_EQ(VersionText(), "Orvalis " ORVALIS_VERSION "\n");
}

}  // namespace
}  // namespace orvalis::test
