#pragma once

#include <string>

// The German texts of the main window's boxes and dialog, each in one place.
namespace kelvanter::boxTexts {

inline constexpr const char* kNotFound =
    "Die Datei wurde nicht gefunden. Die Datei ist entweder nicht vorhanden, es ist "
    "eine versteckte Datei oder eine Systemdatei. Dateiattribute überprüfen !";
// No blanks round the hyphen, unlike the other titles.
inline constexpr const char* kNotFoundTitle = "Kelvanter-Nachricht";
inline constexpr const char* kConfirmationTitle = "Kelvanter - Kontrollabfrage";
inline constexpr const char* kOverwriteFreeSpaceNow =
    "Soll jetzt der freie Speicher des Laufwerks überschrieben werden? Erst dann sind die alten Kopien der Datei dort "
    "beseitigt.";
// Yes and No with the question icon, No the default button.
inline constexpr int kStyleQuestionNoDefault = 292;

inline constexpr const char* kOpenDialogTitle = "Datei 1 öffnen";
inline constexpr const char* kAllFilesFilter = "Alle Dateien (*.*)|*.*";
inline constexpr const char* kAllFilesExtension = "*.*";

std::string readOnlyQuestion(const std::string& path);
std::string doubtQuestion(const std::string& path, const std::string& reason);
std::string confirmation(const std::string& path);
std::string cannotProcess(const std::string& path, const std::string& reason);
std::string indistinguishableName(const std::string& path);

} // namespace kelvanter::boxTexts
