#include "window/CommandLine.h"

#include <algorithm>

namespace kelvanter::commandLine {

namespace {

bool names(const Option& option, const std::string& argument) {
    return (*option.shortName != '\0' && argument == std::string("-") + option.shortName) ||
           argument == std::string("--") + option.longName;
}

// A line of the help: the names in a column of their own, then what they do.
std::string helpLine(std::string names, const std::string& description) {
    names.resize(std::max<std::size_t>(names.size() + 2, 18), ' ');
    return names + description + "\n";
}

std::string optionLine(const Option& option) {
    const std::string shortName = *option.shortName != '\0' ? std::string("-") + option.shortName + ", " : "    ";
    return helpLine("  " + shortName + "--" + option.longName, option.description);
}

} // namespace

Request parse(const std::vector<std::string>& arguments) {
    Request request;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && names(kHelp, argument)) {
            request.action = Action::ShowHelp;
            return request;
        } else if (!optionsEnded && names(kVersion, argument)) {
            request.action = Action::ShowVersion;
            return request;
        } else if (!optionsEnded && names(kFreeSpace, argument)) {
            request.action = Action::OpenFreeSpaceWindow;
        } else if (!optionsEnded && names(kAdd, argument)) {
            request.addToOpenWindow = true;
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            request.action = Action::Refuse;
            request.unknownOption = argument;
            return request;
        } else {
            request.files.push_back(argument);
            if (!request.file)
                request.file = argument;
        }
    }
    return request;
}

std::string helpText(const std::string& programName) {
    return "Aufruf: " + programName + " [Optionen] [--] [" + kFileName + " ...]\n       " + programName +
           " --free-space [ORDNER]\n\n" +
           "Kelvanter vernichtet eine Datei unwiederbringlich: Sie wird an ihrem Ort überschrieben, auf null Bytes "
           "gekürzt, umbenannt und gelöscht.\n\nOptionen:\n" +
           optionLine(kHelp) + optionLine(kVersion) + optionLine(kFreeSpace) + optionLine(kAdd) +
           helpLine("  --", "Beendet die Optionen, etwa vor einem Dateinamen, der mit einem Bindestrich beginnt.") +
           "\nArgumente:\n" + helpLine(std::string("  ") + kFileName, kFileDescription) +
           "\nWas jede Meldung bedeutet und was auf welchem Datenträger bleibt, steht im Handbuch: " +
           KELVANTER_HANDBOOK + "\n";
}

std::string refusal(const Request& request) {
    return "Unbekannte Option: " + request.unknownOption;
}

std::string versionText() {
    return std::string("Kelvanter ") + KELVANTER_VERSION + "\n";
}

} // namespace kelvanter::commandLine
