#include "window/FreeSpaceFlow.h"

#include "core/ErrorText.h"
#include "core/OverwritePasses.h"
#include "core/VeskDisplay.h"
#include "window/PathText.h"
#include "window/TimeText.h"

#include <cstdio>
#include <limits>

namespace kelvanter {

namespace freeSpaceTexts {

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

} // namespace freeSpaceTexts

void FreeSpaceFlow::takeFolder(const std::string& folder) {
    port_.setFolderText(shownName(folder));
    showFileSystem();
}

void FreeSpaceFlow::showFileSystem() {
    const std::string folder = port_.folderText();
    const auto space = folder.empty() ? SysResult<FileSystemSpace>{{}, ENOENT} : files_.spaceOf(folder);
    if (!space.ok()) {
        port_.setFileSystemCaption("");
        port_.setRunning(false, false);
        return;
    }
    port_.setFileSystemCaption(freeSpaceTexts::fileSystemCaption(space.value.fileSystem, space.value.available));
    port_.setRunning(false, true);
}

void FreeSpaceFlow::Command1_Click() {
    const std::string chosen = port_.chooseFolder(freeSpaceTexts::kFolderDialogTitle, port_.folderText());
    if (!chosen.empty())
        takeFolder(chosen);
}

void FreeSpaceFlow::Command2_Click() {
    const std::string folder = port_.folderText();
    if (folder.empty() || running_)
        return;
    if (port_.messageBox(freeSpaceTexts::confirmation(folder), kStyleQuestion, "Kelvanter - Kontrollabfrage") !=
        kAnswerYes)
        return;
    running_ = true;
    cancelRequested_ = false;
    lSeconds = 0;
    port_.setElapsedCaption("00:00:00");
    port_.setEstimateCaption("00:00:00");
    port_.setBarBackground(kEmptyBarColor);
    port_.setPercentCaption("0 %");
    port_.setRunning(true, false);
    port_.setTimerRunning(true);
    port_.setMousePointer(kPointerHourglass);
    const FillReport result = overwriteFreeSpace(files_, clock_, *this, folder, counters);
    port_.setMousePointer(kPointerDefault);
    port_.setTimerRunning(false);
    port_.setEstimateCaption(port_.elapsedCaption());
    if (result.end == FillEnd::Done) {
        port_.setBarBackground(kBarColor);
        port_.setPercentCaption("100 %");
    }
    running_ = false;
    showFileSystem();
    report(result, folder);
}

void FreeSpaceFlow::Command5_Click() {
    cancelRequested_ = running_;
}

void FreeSpaceFlow::setPercent(std::int32_t percent) {
    port_.setPercentCaption(std::to_string(percent) + " %");
    port_.showProgressBar(percent, kBarColor, 100.0);
}

void FreeSpaceFlow::Timer1_Timer() {
    if (lSeconds < std::numeric_limits<std::int32_t>::max())
        ++lSeconds;
    port_.setElapsedCaption(FormatTime(lSeconds));
    if (const auto estimate = estimatedDuration(lSeconds, counters.done, counters.total))
        port_.setEstimateCaption(FormatTime(*estimate));
}

void FreeSpaceFlow::report(const FillReport& result, const std::string& folder) {
    const int style = result.end == FillEnd::Done ? kStyleOkOnly : kStyleWarning;
    port_.messageBox(freeSpaceTexts::result(result, shownName(folder)), style, kMessageTitle);
}

} // namespace kelvanter
