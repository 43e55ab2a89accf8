#pragma once

#include <optional>
#include <string>
#include <vector>

// The program's command line, alike for every toolkit: kelvanter [--help] [--version] [--] [FILE...].
namespace kelvanter::commandLine {

struct Option {
    const char* shortName;
    const char* longName;
    const char* description;
};

inline constexpr Option kHelp{"h", "help", "Zeigt diese Hilfe an und beendet das Programm."};
inline constexpr Option kVersion{"v", "version", "Zeigt die Version an und beendet das Programm."};
inline constexpr Option kFreeSpace{"", "free-space",
                                   "Öffnet das Fenster, das den freien Speicher des Laufwerks überschreibt, auf dem "
                                   "ORDNER (sonst der aktuelle Ordner) liegt."};
inline constexpr Option kAdd{"", "add",
                             "Gibt die Dateien einem offenen Kelvanter-Fenster dazu, das mit dieser Option geöffnet "
                             "wurde und auf die Bestätigung wartet, sonst öffnet es eines (unter Windows: das "
                             "Kontextmenü übergibt jede gewählte Datei einzeln)."};
inline constexpr const char* kFileName = "DATEI";
inline constexpr const char* kFileDescription =
    "Die zu zerstörende Datei; sie erscheint im Fenster und wird erst nach Ihrer Bestätigung zerstört.";

// Where no display can be reached, the window cannot open: said instead, with exit code 2.
inline constexpr const char* kNoDisplay =
    "Kelvanter braucht eine grafische Oberfläche, aber keine Anzeige ist erreichbar (DISPLAY oder "
    "WAYLAND_DISPLAY).";

enum class Action { OpenWindow, OpenFreeSpaceWindow, ShowHelp, ShowVersion, Refuse };

struct Request {
    Action action = Action::OpenWindow;
    std::optional<std::string> file; // the name's own bytes: the file, or with --free-space the folder
    std::vector<std::string> files;  // every file named, in order; the first is `file`
    bool addToOpenWindow = false;    // --add: hand the files to a window that gathers them
    std::string unknownOption;       // the option the command line was refused for
};

// The arguments after the program's name. "--" ends the options, so that a file whose name
// begins with a dash can be named. Several files are destroyed under one question; the
// free-space window takes the first as its folder.
Request parse(const std::vector<std::string>& arguments);

std::string helpText(const std::string& programName);
// Why the command line was refused, for the user.
std::string refusal(const Request& request);
std::string versionText();

} // namespace kelvanter::commandLine
