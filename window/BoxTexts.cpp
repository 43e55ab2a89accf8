#include "window/BoxTexts.h"

namespace kelvanter::boxTexts {

std::string readOnlyQuestion(const std::string& path) {
    return "Die Datei " + path + " ist schreibgeschützt. Soll der Schreibschutz entfernt werden ?";
}

std::string doubtQuestion(const std::string& path, const std::string& reason) {
    return "Die Datei " + path + " kann hier nicht an Ort und Stelle überschrieben werden: " + reason +
           ". Ihr bisheriger Inhalt kann danach noch auf dem Datenträger lesbar sein. Trotzdem fortfahren ?";
}

std::string confirmation(const std::string& path) {
    // Two blanks between "die" and "Datei", as the box has always shown it.
    return "Soll die  Datei " + path + " jetzt unwiderruflich zerstört werden?";
}

std::string cannotProcess(const std::string& path, const std::string& reason) {
    return "Die Datei " + path + " kann nicht bearbeitet werden: " + reason;
}

std::string indistinguishableName(const std::string& path) {
    return "Der Name der Datei " + path +
           " lässt sich nicht von dem einer anderen Datei im selben Ordner unterscheiden. Benennen Sie die Datei um "
           "und wählen Sie sie erneut.";
}

} // namespace kelvanter::boxTexts
