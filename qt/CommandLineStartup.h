#pragma once

#include "window/CommandLine.h"

namespace kelvanter {

// The command line through QCommandLineParser, with a file's name taken from argv as its bytes:
// as text, a byte that is no character would name another file.
commandLine::Request readCommandLine(int argc, char* argv[]);

// Whether the option is one that Qt takes for itself (-platform, -style, -display, ...).
bool isQtOption(const std::string& option);

// Answers --help and --version on standard output and a refusal on standard error; the exit code,
// or nothing where the window is to open.
std::optional<int> answerWithoutWindow(const commandLine::Request& request, const char* programName);

} // namespace kelvanter
