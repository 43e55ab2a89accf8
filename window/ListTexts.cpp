#include "window/ListTexts.h"

#include "platform/PathParts.h"
#include "window/BoxTexts.h"
#include "window/ErrorTexts.h"
#include "window/FreeSpaceTexts.h"
#include "window/PathText.h"

namespace kelvanter::listTexts {

namespace {

constexpr std::size_t kNamesInSummary = 2;
constexpr std::size_t kNamesInQuestion = 5;

std::string filesCounted(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " Datei" : " Dateien");
}

std::string firstNames(const std::vector<std::string>& names, std::size_t most) {
    std::string shown;
    for (std::size_t i = 0; i < names.size() && i < most; ++i)
        shown += (shown.empty() ? "" : ", ") + names[i];
    return names.size() > most ? shown + ", …" : shown;
}

// Small files in kB, where "0,0 MB" would say nothing.
std::string sizeText(std::int64_t bytes) {
    if (bytes >= 1000000)
        return freeSpaceTexts::megabytes(bytes);
    std::string shown = freeSpaceTexts::megabytes(bytes * 1000);
    return shown.replace(shown.size() - 2, 2, "kB");
}

std::string paragraph(const std::string& head, const std::vector<std::string>& lines) {
    if (lines.empty())
        return "";
    std::string text = "\n\n" + head;
    for (const std::string& line : lines)
        text += "\n" + line;
    return text;
}

} // namespace

std::string summary(const std::vector<std::string>& paths, const char* separators) {
    std::vector<std::string> names;
    for (const std::string& path : paths)
        names.push_back(shownName(pathParts::nameOf(path, separators)));
    return filesCounted(paths.size()) + ": " + firstNames(names, kNamesInSummary);
}

std::string everyName(const std::vector<std::string>& paths) {
    std::string lines;
    for (const std::string& path : paths) {
        if (!lines.empty())
            lines += "\n";
        lines += shownName(path);
    }
    return lines;
}

std::string question(const Question& asked) {
    const std::size_t count = asked.names.size();
    if (count == 0)
        return "In " + firstNames(asked.folders, kNamesInQuestion) +
               " liegt keine Datei, die zu zerstören wäre. Sollen die leeren Ordner jetzt entfernt werden?";
    std::string text = std::string(count == 1 ? "Soll die " : "Sollen die ") + filesCounted(count) + " (zusammen " +
                       sizeText(asked.totalBytes) + ")" + boxTexts::kDestroyNow + " " +
                       firstNames(asked.names, kNamesInQuestion);
    if (!asked.folders.empty())
        text += "\n\nEs sind alle Dateien in " + firstNames(asked.folders, kNamesInQuestion) +
                " und den Ordnern darin; danach werden die geleerten Ordner entfernt. Verknüpfungen, eingehängte "
                "Ordner, andere Dateisysteme und alles, was keine gewöhnliche Datei ist, bleiben unberührt.";
    for (const GatheredDoubt& doubt : asked.doubts)
        text += "\n\nBei " + filesCounted(doubt.files) + ": " + doubt.reason + ".";
    return text;
}

std::string account(const Account& result) {
    const std::size_t all = result.destroyed + result.unproven.size() + result.failed.size() + result.notReached.size();
    std::string text = "Von " + filesCounted(all) + (result.destroyed == 1 ? " ist " : " sind ") +
                       std::to_string(result.destroyed) + " zerstört.";
    text += paragraph(std::to_string(result.unproven.size()) + " gelöscht, aber nicht nachgewiesen:", result.unproven);
    text += paragraph(std::to_string(result.failed.size()) + " nicht zerstört:", result.failed);
    std::vector<std::string> untouched;
    for (const std::string& path : result.notReached)
        untouched.push_back(shownName(path));
    text +=
        paragraph(std::to_string(untouched.size()) + " nicht bearbeitet, weil das Programm beendet wird:", untouched);
    text += paragraph("Unberührt geblieben:", result.left);
    text += paragraph("Entfernt, aber der Name kann noch lesbar sein:", result.namesKept);
    return text;
}

std::string leftLine(const LeftEntry& entry) {
    const std::string path = shownName(entry.path) + ": ";
    switch (entry.because) {
    case LeftBecause::NoRegularFile:
        return path + "keine gewöhnliche Datei";
    case LeftBecause::SymbolicLink:
        return path + "eine Verknüpfung; ihr Ziel wurde nicht berührt";
    case LeftBecause::OtherFileSystem:
        return path + "liegt auf einem anderen Dateisystem";
    case LeftBecause::MountPoint:
        return path + "dort ist etwas anderes eingehängt";
    case LeftBecause::TooDeep:
        return path + "zu tief verschachtelt";
    case LeftBecause::NotEmpty:
        return path + "der Ordner ist nicht leer";
    case LeftBecause::NameKept:
        return path + "sein Name ließ sich in seinem Ordner nicht überschreiben";
    case LeftBecause::Swapped:
        return path + "der Name nennt inzwischen etwas anderes als beim Durchsuchen des Ordners; es blieb unberührt";
    case LeftBecause::Unreadable:
    case LeftBecause::NotRemoved:
        break;
    }
    const std::string what = entry.because == LeftBecause::Unreadable ? "der Ordner ließ sich nicht lesen"
                                                                      : "der Ordner ließ sich nicht entfernen";
    if (entry.error == 0)
        return path + what;
    std::string line = path + what + ": ";
    line += describeError(entry.error);
    return line;
}

std::string titleWithFile(const std::string& title, const std::string& name) {
    return name.empty() ? title : title + " - " + name;
}

} // namespace kelvanter::listTexts
