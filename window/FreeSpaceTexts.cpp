#include "window/FreeSpaceTexts.h"

#include "window/ErrorTexts.h"
#include "window/PathText.h"

#include <cstdio>

namespace kelvanter::freeSpaceTexts {

std::string megabytes(std::int64_t bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
    std::string shown = text;
    const auto point = shown.find('.');
    if (point != std::string::npos)
        shown[point] = ','; // German decimal comma
    return shown;
}

namespace {

std::string namesOf(const std::vector<std::string>& folders) {
    std::string named;
    for (const std::string& folder : folders)
        named += (named.empty() ? "" : ", ") + shownName(folder);
    return named;
}

} // namespace

std::string killedFillsRemoved(const std::vector<std::string>& folders) {
    return "Ein abgebrochenes Überschreiben des freien Speichers hatte Fülldateien zurückgelassen; sie sind jetzt "
           "gelöscht: " +
           namesOf(folders) + ".";
}

std::string killedFillsWaiting(const std::vector<std::string>& folders) {
    return "Fülldateien eines abgebrochenen Überschreibens liegen auf einem Datenträger, der jetzt nicht eingehängt "
           "ist: " +
           namesOf(folders) + ". Sie werden beim ersten Start gelöscht, bei dem er wieder eingehängt ist.";
}

std::string confirmation(const std::string& folder) {
    return "Soll jetzt der freie Speicher des Laufwerks, auf dem der Ordner " + folder +
           " liegt, überschrieben werden? Solange das läuft, ist das Laufwerk voll: andere Programme können dann "
           "nichts speichern. Das dauert eine Weile.";
}

std::string fileSystemCaption(const std::string& fileSystem, std::int64_t freeBytes) {
    return "Dateisystem: " + (fileSystem.empty() ? std::string("unbekannt") : fileSystem) +
           "     Frei: " + megabytes(freeBytes);
}

namespace {

constexpr const char* kRemoved = " Die Fülldateien sind wieder gelöscht.";

// What the fill could not reach, one part after the other; empty where it reached all.
std::string unreachedParts(const FillReport& report) {
    std::string parts;
    if (report.unreached >= 1'000'000) {
        // One piece at a time: joined in one expression, GCC warns of overlaps there are none of.
        parts += ' ';
        parts += megabytes(report.unreached);
        parts += ", die das Dateisystem für den Administrator oder für seine eigene Verwaltung zurückhält;";
    }
    if (report.storage.journalsData)
        parts += " das Journal der Dateiinhalte, das noch Kopien halten kann;";
    if (report.storage.kind == StorageKind::CopyOnWrite)
        parts += " Blöcke, die noch zu Snapshots oder zu anderen Dateien gehören;";
    if (report.storage.logStructured)
        parts += " die Verwaltungsblöcke des Dateisystems und seine alten Segmente, die noch Inhalte und Namen kleiner "
                 "Dateien halten können;";
    if (report.namesInLog != NamesInLog::Reached && report.storage.kind != StorageKind::MemoryOnly)
        parts += report.storage.deletedNames != DeletedNames::Reused
                     ? " die Namen früher gelöschter Dateien in den Einträgen ihrer Ordner;"
                     : " Namen gelöschter Dateien in den Verwaltungsdaten des Dateisystems;";
    if (report.storage.deletedNames == DeletedNames::NtfsIndex && !report.recordsReached)
        parts += " die freien Einträge der MFT, die Namen und Inhalte kleiner gelöschter Dateien halten können;";
    if (report.storage.media == MediaKind::Flash)
        parts += " die Reservezellen des Flash-Datenträgers, die kein Programm erreicht;";
    if (!parts.empty())
        parts.back() = '.';
    return parts;
}

// The first sentence says how much of the free space was reached.
std::string doneText(const FillReport& report) {
    const std::string parts = unreachedParts(report);
    std::string text;
    if (report.unreached >= 1'000'000)
        text = "Der freie Speicher wurde bis auf " + megabytes(report.unreached) + " überschrieben: ";
    else if (!parts.empty())
        text = "Der freie Speicher wurde überschrieben, soweit ein Programm ihn erreicht: ";
    else
        text = "Der freie Speicher wurde überschrieben: ";
    text += megabytes(report.written) + " geschrieben." + kRemoved;
    if (!parts.empty())
        text += " Nicht erreicht:" + parts;
    return text;
}

// Where fill files were made, that they are gone again.
std::string removedIfMade(const FillReport& report) {
    return report.filesMade > 0 ? kRemoved : "";
}

} // namespace

std::string result(const FillReport& report, const std::string& folder) {
    switch (report.end) {
    case FillEnd::Busy:
        return "Auf dem Laufwerk, auf dem der Ordner " + folder +
               " liegt, läuft schon ein Überschreiben des freien "
               "Speichers.";
    case FillEnd::NothingFree:
        return "Auf dem Laufwerk, auf dem der Ordner " + folder +
               " liegt, ist kein freier Speicher, den dieses Programm beschreiben könnte.";
    case FillEnd::Failed:
        if (report.written == 0)
            return "Der freie Speicher ließ sich nicht überschreiben: " + describeError(report.error) +
                   removedIfMade(report);
        return "Der freie Speicher ließ sich nicht ganz überschreiben: " + describeError(report.error) + " " +
               megabytes(report.written) + " waren geschrieben." + removedIfMade(report);
    case FillEnd::NoRecord:
        return "Der freie Speicher wird nicht überschrieben, denn das Programm kann sich seine Fülldateien nicht "
               "merken; nach einem Absturz blieben sie liegen und hielten das Laufwerk voll: " +
               describeError(report.error);
    case FillEnd::Cancelled:
        return "Das Überschreiben des freien Speichers wurde abgebrochen; " + megabytes(report.written) +
               " waren geschrieben." + removedIfMade(report);
    case FillEnd::Done:
        break;
    }
    return doneText(report);
}

} // namespace kelvanter::freeSpaceTexts
