#pragma once

#include <array>

namespace kelvanter {

// The info window's text, broken by hand for a fixed-pitch font; trailing blanks belong to the lines.
inline constexpr std::array<const char*, 23> kInfoLines = {
    "",
    "Der Kelvanter vernichtet Dateien unwiederbringlich !",
    "",
    "Beim Löschen einer Datei überschreibt Windows nur den ersten ",
    "Buchstaben des Eintrags in der Verzeichnisliste und markiert ",
    "in der FAT die entsprechenden Cluster als frei. Erst wenn",
    "neue Dateien auf die Festplatte geschrieben werden, über-",
    "schreibt Windows/DOS die als frei markierten Bereiche.",
    "Mit Undelete-Programmen können also Dateien, deren Cluster ",
    "noch nicht überschrieben sind, wiederhergestellt werden.",
    "Um dies zu verhindern überschreibt der Kelvanter die",
    "einzelnen Cluster. Damit wird die Datei endgültig vernichtet.",
    "",
    "einfach:",
    "Die zu zerstörende Datei wird einmal mit NullBytes über-",
    "schrieben. Dies ist für die meisten Fälle ausreichend.",
    "",
    "intensiv:",
    "Die zu zerstörende Datei wird abwechselnd dreimal mit 0 und",
    "dreimal mit 255 überschrieben. Abschließend wird die Datei",
    "mit Wert 246 überschrieben. Siebenmaliges überschreiben",
    "wird vom US-Verteidigungsministerium gefordert und gilt auch",
    "in Deutschland als gesetzlicher Standard.",
};

} // namespace kelvanter
