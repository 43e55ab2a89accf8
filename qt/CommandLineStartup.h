#pragma once

#include "window/CommandLine.h"

#include <vector>

namespace kelvanter {

// The command line through QCommandLineParser, with a file's name taken from argv as its bytes:
// as text, a byte that is no character would name another file.
commandLine::Request readCommandLine(int argc, char* argv[]);

// The command line as Qt may see it: the program's name and what comes before "--". After "--"
// come only files, whatever they look like ("-stylesheet" names a file there, as it does for us).
class QtArguments {
public:
    QtArguments(int argc, char* argv[]);
    // For QApplication, which takes its own options out of them.
    int count = 0;
    char** values() { return forQt_.data(); }
    // The whole command line again once Qt has taken its own: what it left, then "--" and the rest.
    std::vector<char*> rejoined() const;

private:
    std::vector<char*> forQt_;
    std::vector<char*> afterEnd_; // "--" and what follows it
};

// Whether the option is one that Qt takes for itself (-platform, -style, -display, ...).
bool isQtOption(const std::string& option);

// Answers --help and --version on standard output and a refusal on standard error; the exit code,
// or nothing where the window is to open.
std::optional<int> answerWithoutWindow(const commandLine::Request& request, const char* programName);

} // namespace kelvanter
