#pragma once

#include "core/RunReport.h"

#include <cstdint>
#include <string>
#include <vector>

// The German texts of the main window's boxes and dialog, each in one place. Paths in them are
// shown as text (see shownName).
namespace kelvanter::boxTexts {

inline constexpr const char* kNotFound =
    "Die Datei wurde nicht gefunden. Die Datei ist entweder nicht vorhanden, es ist "
    "eine versteckte Datei oder eine Systemdatei. Dateiattribute überprüfen !";
// No blanks round the hyphen, unlike the other titles.
inline constexpr const char* kNotFoundTitle = "Kelvanter-Nachricht";
inline constexpr const char* kMessageTitle = "Kelvanter - Nachricht";
inline constexpr const char* kConfirmationTitle = "Kelvanter - Kontrollabfrage";
inline constexpr const char* kOverwriteFreeSpaceNow =
    "Soll jetzt der freie Speicher des Laufwerks überschrieben werden? Erst dann sind die alten Kopien der Datei dort "
    "beseitigt.";

inline constexpr const char* kOpenDialogTitle = "Datei 1 öffnen";
inline constexpr const char* kAllFilesFilter = "Alle Dateien (*.*)|*.*";
inline constexpr const char* kAllFilesExtension = "*.*";

// The run's boxes. The disposal's own box, for a name gone before it: its words begin the box.
inline constexpr const char* kFileNotFound = "Datei nicht gefunden!";
inline constexpr const char* kCannotOpen =
    "Die Datei kann nicht geöffnet werden. Sie wird wahrscheinlich von einer anderen Anwendung benutzt.";
inline constexpr const char* kUnprovenHead = "Die Datei ";
inline constexpr const char* kUnprovenMiddle = " wurde gelöscht, aber das Überschreiben ließ sich nicht nachweisen: ";
inline constexpr const char* kUnprovenTail = ". Ihr bisheriger Inhalt kann noch auf dem Datenträger lesbar sein.";

// The end of the confirmation, for one file and for several.
inline constexpr const char* kDestroyNow = " jetzt unwiderruflich zerstört werden?";

std::string readOnlyQuestion(const std::string& path);
std::string doubtQuestion(const std::string& path, const Doubts& doubts);
std::string confirmation(const std::string& path);
std::string cannotProcess(const std::string& path, const std::string& reason);
std::string indistinguishableName(const std::string& path);
std::string notDeleted(const std::string& path);
// What became of the content after the passes: overwritten, and proven or why not.
std::string contentFate(const Doubts& doubts);
// Why the file could not be opened for the passes, in the words of the error.
std::string cannotOpen(int error, bool fullRights);
std::string notDeletedAfterPasses(const std::string& path, int error, const Doubts& doubts, bool fullRights);
std::string unchangeable(const std::string& path, const Doubts& doubts, bool fullRights);
// Another program deleted the name, or saved a new file under it, during the run.
std::string nameGone(const std::string& path, const Doubts& doubts);
std::string newFileUnderName(const std::string& path, const Doubts& doubts);
std::string deletedUnproven(const std::string& path, const Doubts& doubts);
// A pass that could not write the whole file, and why, in the words the error says.
std::string cannotWrite(int error);
std::string replaced(const std::string& path, const std::string& leftAt);
// The file is gone, but the device did not confirm its folder's flush: the name may come back.
std::string deletionUnflushed(const std::string& path);
inline constexpr const char* kCancelled =
    "Das Zerstören wurde abgebrochen. Die Datei liegt noch an ihrem Ort und ist nur zum Teil überschrieben.";
// The emptied files that disposals killed midway had left, and that a start has removed.
std::string killedDisposalsRemoved(const std::vector<std::string>& files);
// The question before the run for a file with other names (hard links), and the word after it.
std::string otherNamesQuestion(const std::string& path, std::uint64_t count);
std::string otherNamesEmptied(std::uint64_t count);
// The file's content is gone, but in a folder others may change it was not deleted by name.
std::string leftEmptied(const std::string& path);

// Why an in-place overwrite may not reach a file's old data: fragments that complete the
// sentences of the boxes ("... überschrieben werden: <reason>."), several joined by ", und ".
std::string reason(const Doubt& doubt);
std::string reasons(const Doubts& doubts);

// A box as the window shows it.
struct Box {
    std::string text;
    int style = 0;
    std::string title;
};

// The box a run's report is shown in; `executableName` titles the box of a file not deleted.
// `fullRights`: the program runs as root or an elevated administrator, so the hint to start it
// so would not help.
Box boxFor(const RunReport& report, const std::string& executableName, bool fullRights = false);

} // namespace kelvanter::boxTexts
