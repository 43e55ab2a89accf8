#include "window/FreeSpaceTexts.h"

#include "window/ErrorTexts.h"

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

std::string confirmation(const std::string& folder) {
    return "Soll jetzt der freie Speicher des Laufwerks, auf dem der Ordner " + folder +
           " liegt, überschrieben werden? Solange das läuft, ist das Laufwerk voll: andere Programme können dann "
           "nichts speichern. Das dauert eine Weile.";
}

std::string fileSystemCaption(const std::string& fileSystem, std::int64_t freeBytes) {
    return "Dateisystem: " + (fileSystem.empty() ? std::string("unbekannt") : fileSystem) +
           "     Frei: " + megabytes(freeBytes);
}

std::string result(const FillReport& report, const std::string& folder) {
    const std::string removed = " Die Fülldateien sind wieder gelöscht.";
    switch (report.end) {
    case FillEnd::Busy:
        return "Für den Ordner " + folder + " läuft schon ein Überschreiben des freien Speichers.";
    case FillEnd::Failed:
        return "Der freie Speicher ließ sich nicht ganz überschreiben: " + describeError(report.error) + " " +
               megabytes(report.written) + " waren geschrieben." + removed;
    case FillEnd::Cancelled:
        return "Das Überschreiben des freien Speichers wurde abgebrochen; " + megabytes(report.written) +
               " waren geschrieben." + removed;
    case FillEnd::Done:
        break;
    }
    std::string unreached;
    if (report.unreached >= 1'000'000) {
        unreached += " ";
        unreached += megabytes(report.unreached);
        unreached += ", die das Dateisystem für den Administrator oder für seine eigene Verwaltung zurückhält;";
    }
    if (report.storage.journalsData)
        unreached += " das Journal der Dateiinhalte, das noch Kopien halten kann;";
    if (report.storage.kind == StorageKind::CopyOnWrite)
        unreached += " Blöcke, die noch zu Snapshots oder zu anderen Dateien gehören;";
    if (report.storage.media == MediaKind::Flash)
        unreached += " die Reservezellen des Flash-Datenträgers, die kein Programm erreicht;";
    std::string text = "Der freie Speicher wurde überschrieben: ";
    text += megabytes(report.written);
    text += " geschrieben.";
    text += removed;
    if (!unreached.empty()) {
        unreached.back() = '.';
        text += " Nicht erreicht:";
        text += unreached;
    }
    return text;
}

} // namespace kelvanter::freeSpaceTexts
