#pragma once

class QCoreApplication;

namespace kelvanter {

// Loads Qt's own German texts ("Ja", "Nein", the file dialog), whatever the system's locale.
// False when the translation file is not installed.
bool installGermanTranslations(QCoreApplication& application);

} // namespace kelvanter
