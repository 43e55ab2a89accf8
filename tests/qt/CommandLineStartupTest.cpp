// The command line through QCommandLineParser: options as Qt reads them, a file's name as its bytes.
#include "qt/CommandLineStartup.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

commandLine::Request readFrom(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "kelvanter");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return readCommandLine(static_cast<int>(arguments.size()), argv.data());
}

TEST(QtCommandLine, TakesTheFileAsItsBytesAndTheOptionsAsQtParsesThem) {
    struct Case {
        std::vector<std::string> arguments;
        commandLine::Action action;
        std::optional<std::string> file;
    };
    const std::vector<Case> cases = {
        {{"/tmp/geheim-\xE4.txt"}, commandLine::Action::OpenWindow, "/tmp/geheim-\xE4.txt"},
        {{"--", "--help"}, commandLine::Action::OpenWindow, "--help"},
        {{"--help"}, commandLine::Action::ShowHelp, std::nullopt},
        {{"-v"}, commandLine::Action::ShowVersion, std::nullopt},
        {{"--loeschen", "brief.txt"}, commandLine::Action::Refuse, std::nullopt},
        {{}, commandLine::Action::OpenWindow, std::nullopt},
        {{"--free-space", "/media/stick"}, commandLine::Action::OpenFreeSpaceWindow, "/media/stick"},
    };
    for (const Case& c : cases) {
        const commandLine::Request request = readFrom(c.arguments);
        const std::string shown = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(request.action, c.action) << shown;
        EXPECT_EQ(request.file, c.file) << shown;
    }
    // Several files, each as its bytes, in order.
    EXPECT_EQ(readFrom({"a.txt", "--", "-b", "c-\xE4"}).files, (std::vector<std::string>{"a.txt", "-b", "c-\xE4"}));
    // The refusal names the option as it was given, never one letter of it.
    for (const std::string option : {"--loeschen", "-platform", "--farbe=rot", "-x"})
        EXPECT_EQ(readFrom({option, "brief.txt"}).unknownOption, option);
}

TEST(QtCommandLine, HelpAndVersionAnswerOnStandardOutputAndARefusalExitsNonZero) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(answerWithoutWindow(readFrom({"--help"}), "kelvanter"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), commandLine::helpText("kelvanter"));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(answerWithoutWindow(readFrom({"--version"}), "kelvanter"), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Kelvanter 1.0.0\n");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(answerWithoutWindow(readFrom({"--loeschen"}), "kelvanter"), 2);
    EXPECT_EQ(::testing::internal::GetCapturedStderr().rfind("Unbekannte Option: --loeschen\n", 0), 0u);
    EXPECT_EQ(answerWithoutWindow(readFrom({"brief.txt"}), "kelvanter"), std::nullopt);
}

// Qt sees only what comes before "--": "kelvanter -- -stylesheet a b" offers all three names, and
// what Qt takes of its own before "--" leaves the files after it as they were.
TEST(QtCommandLine, QtSeesNothingPastTheEndOfTheOptions) {
    std::vector<std::string> words = {"kelvanter", "-platform", "offscreen", "--", "-stylesheet", "a", "b"};
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    QtArguments forQt(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(forQt.count, 3);
    forQt.count = 1; // as QApplication leaves it once it has taken "-platform offscreen"
    std::vector<char*> left = forQt.rejoined();
    const commandLine::Request request = readCommandLine(static_cast<int>(left.size()) - 1, left.data());
    EXPECT_EQ(request.action, commandLine::Action::OpenWindow);
    EXPECT_EQ(request.files, (std::vector<std::string>{"-stylesheet", "a", "b"}));
}

// Qt's own options wait for Qt, which takes them out; any other refusal comes before a display is needed.
TEST(QtCommandLine, OnlyQtsOwnOptionsWaitForQt) {
    for (const char* option : {"-platform", "-style", "--display", "-reverse"})
        EXPECT_TRUE(isQtOption(option)) << option;
    for (const char* option : {"--bogus", "-x", "--platforms", "--loeschen"})
        EXPECT_FALSE(isQtOption(option)) << option;
}

} // namespace
} // namespace kelvanter::testing
