#include "window/CommandLine.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

using commandLine::Action;

TEST(CommandLine, OptionsFileAndTheEndOfOptions) {
    struct Case {
        std::vector<std::string> arguments;
        Action action;
        std::optional<std::string> file;
    };
    const std::vector<Case> cases = {
        {{}, Action::OpenWindow, std::nullopt},
        {{"brief.txt"}, Action::OpenWindow, "brief.txt"},
        {{"--help"}, Action::ShowHelp, std::nullopt},
        {{"-h"}, Action::ShowHelp, std::nullopt},
        {{"--version"}, Action::ShowVersion, std::nullopt},
        {{"--", "--help"}, Action::OpenWindow, "--help"},
        {{"--", "-rf"}, Action::OpenWindow, "-rf"},
        {{"a.txt", "b.txt"}, Action::OpenWindow, "a.txt"},
        {{"geheim-\xE4.txt"}, Action::OpenWindow, "geheim-\xE4.txt"},
        {{"-"}, Action::OpenWindow, "-"},
        {{"--loeschen"}, Action::Refuse, std::nullopt},
        {{"--free-space"}, Action::OpenFreeSpaceWindow, std::nullopt},
        {{"--free-space", "/media/stick"}, Action::OpenFreeSpaceWindow, "/media/stick"},
    };
    for (const Case& c : cases) {
        const commandLine::Request request = commandLine::parse(c.arguments);
        const std::string shown = c.arguments.empty() ? "(none)" : c.arguments.back();
        EXPECT_EQ(request.action, c.action) << shown;
        EXPECT_EQ(request.file, c.file) << shown;
    }
    EXPECT_EQ(commandLine::refusal(commandLine::parse({"--loeschen"})), "Unbekannte Option: --loeschen");
    // Every file is taken, in order, the end of options included.
    EXPECT_EQ(commandLine::parse({"a.txt", "--", "-b", "c"}).files, (std::vector<std::string>{"a.txt", "-b", "c"}));
    // --add only asks for a gathering window; after "--" it is a file's name.
    EXPECT_TRUE(commandLine::parse({"--add", "--", "a.txt"}).addToOpenWindow);
    EXPECT_FALSE(commandLine::parse({"--", "--add"}).addToOpenWindow);
}

TEST(CommandLine, HelpAndVersionSpeakGerman) {
    const std::string help = commandLine::helpText("kelvanter");
    EXPECT_EQ(help.rfind("Aufruf: kelvanter [Optionen] [--] [DATEI ...]\n", 0), 0u);
    for (const char* part : {"  -h, --help      Zeigt diese Hilfe an", "  -v, --version   Zeigt die Version an",
                             "  --              Beendet die Optionen", "  DATEI           Die zu zerstörende Datei"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
    EXPECT_EQ(commandLine::versionText(), "Kelvanter 1.0.0\n");
}

} // namespace
} // namespace kelvanter::testing
