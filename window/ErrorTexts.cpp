#include "window/ErrorTexts.h"

#include "platform/FileServices.h"

#include <cerrno>
#include <cstring>
#include <map>

namespace kelvanter {

std::string describeError(int error) {
    static const std::map<int, std::string> texts = {
        {ENOENT, "Die Datei oder der Ordner ist nicht vorhanden."},
        {ENOTDIR, "Ein Teil des Pfades ist kein Ordner."},
        {EACCES, "Zugriff verweigert."},
        {EPERM, "Der Vorgang ist nicht erlaubt."},
        {EROFS, "Das Dateisystem ist schreibgeschützt."},
        {ENOSPC, "Auf dem Datenträger ist kein Platz mehr."},
        {EFBIG, "Die Datei ist zu groß."},
        {EIO, "Ein- oder Ausgabefehler des Datenträgers."},
        {ELOOP, "Der Pfad ist eine symbolische Verknüpfung."},
        {EISDIR, "Der Pfad ist ein Ordner."},
        {ENAMETOOLONG, "Der Pfad ist zu lang."},
        {EBUSY, "Die Datei ist belegt."},
        {ETXTBSY, "Die Datei wird gerade ausgeführt."},
        {EEXIST, "Eine Datei dieses Namens ist schon vorhanden."},
        {ENXIO, "Das Gerät ist nicht vorhanden."},
        {kNotARegularFile, "Der Pfad ist keine gewöhnliche Datei."},
        {kFileReplaced, "Die Datei wurde inzwischen durch eine andere ersetzt."},
        {kDirectIoRefused, "Das Dateisystem nimmt keine Schreibzugriffe am Zwischenspeicher vorbei an."},
        {kMountPoint, "Auf dem Pfad ist etwas anderes eingehängt; er nennt keine Datei seines Ordners."},
    };
    const auto found = texts.find(error);
    if (found != texts.end())
        return found->second;
    return std::string("Systemfehler ") + std::to_string(error) + " (" + std::strerror(error) + ").";
}

} // namespace kelvanter
