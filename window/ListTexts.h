#pragma once

#include "core/FolderTree.h"
#include "core/RunReport.h"

#include <cstdint>
#include <string>
#include <vector>

// The German texts for several files at once: the path box, the one question and the account.
namespace kelvanter::listTexts {

inline constexpr const char* kNotFound =
    "nicht gefunden (nicht vorhanden, versteckt, eine Systemdatei oder keine gewöhnliche Datei)";

inline constexpr const char* kReplacedSinceQuestion =
    "seit der Frage liegt unter dem Namen eine andere Datei; sie blieb unverändert";

// "3 Dateien: a.txt, b.pdf, …": the count and the first names, for the path box.
std::string summary(const std::vector<std::string>& paths, const char* separators);
// Every exact name, one per line, for the path box's tooltip.
std::string everyName(const std::vector<std::string>& paths);

// A doubt that concerns some of the files, once, with how many.
struct GatheredDoubt {
    std::string reason; // a fragment as boxTexts::reason words it
    std::size_t files = 0;
};

struct Question {
    std::vector<std::string> names; // the files' own names, largest first
    std::int64_t totalBytes = 0;
    std::vector<GatheredDoubt> doubts;
    std::vector<std::string> folders; // the given folders' paths, removed once their files are gone
};
std::string question(const Question& asked);

// What became of each file, named only where it is still there or not proven.
struct Account {
    std::size_t destroyed = 0;
    std::vector<std::string> unproven;   // the box each had, naming the file and the reason
    std::vector<std::string> failed;     // the same, for files that are still there
    std::vector<std::string> notReached; // the paths of files left as they were after a stop
    std::vector<std::string> left;       // what beneath a folder was no file to destroy, or stays
    std::vector<std::string> namesKept;  // folders removed whose names their parents may still hold
};

// An entry beneath a given folder that is left, and why, for the account.
std::string leftLine(const LeftEntry& entry);
std::string account(const Account& result);

// The window's title with the name of the file a run of several is at; the title alone for none.
std::string titleWithFile(const std::string& title, const std::string& name);

} // namespace kelvanter::listTexts
