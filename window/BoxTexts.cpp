#include "window/BoxTexts.h"

#include "platform/FileServices.h"
#include "window/BoxStyles.h"
#include "window/ErrorTexts.h"
#include "window/PathText.h"

#include <algorithm>
#include <iterator>

namespace kelvanter::boxTexts {

std::string readOnlyQuestion(const std::string& path) {
    return "Die Datei " + path + " ist schreibgeschützt. Soll der Schreibschutz entfernt werden ?";
}

std::string doubtQuestion(const std::string& path, const Doubts& doubts) {
    return "Die Datei " + path + " kann hier nicht an Ort und Stelle überschrieben werden: " + reasons(doubts) +
           ". Ihr bisheriger Inhalt kann danach noch auf dem Datenträger lesbar sein. Trotzdem fortfahren ?";
}

namespace {

std::string otherNames(std::uint64_t count) {
    return count == 1 ? "einen weiteren Namen" : std::to_string(count) + " weitere Namen";
}

} // namespace

std::string killedDisposalsRemoved(const std::vector<std::string>& files) {
    constexpr std::size_t kNamed = 5; // a run on FAT may leave many placeholders
    std::string named;
    for (std::size_t at = 0; at < files.size() && at < kNamed; ++at)
        named += (named.empty() ? "" : ", ") + shownName(files[at]);
    if (files.size() > kNamed)
        named += " und " + std::to_string(files.size() - kNamed) + " weitere";
    if (files.size() == 1)
        return "Ein abgebrochenes Zerstören hatte eine leere Datei zurückgelassen; sie ist jetzt gelöscht: " + named +
               ".";
    return "Abgebrochenes Zerstören hatte " + std::to_string(files.size()) +
           " leere Dateien zurückgelassen; sie sind jetzt gelöscht: " + named + ".";
}

std::string otherNamesQuestion(const std::string& path, std::uint64_t count) {
    return "Die Datei " + path + " hat noch " + otherNames(count) +
           " (harte Verweise, etwa aus einer Sicherung). Ihr Inhalt verschwindet auch dort; unter diesen Namen "
           "bleibt eine leere Datei zurück. Trotzdem fortfahren ?";
}

std::string otherNamesEmptied(std::uint64_t count) {
    const std::string under = count == 1 ? std::string("unter ihrem anderen Namen")
                                         : "unter ihren " + std::to_string(count) + " weiteren Namen";
    return "Der Inhalt der Datei ist auch " + under + " verschwunden; dort bleibt eine leere Datei zurück.";
}

std::string confirmation(const std::string& path) {
    // Two blanks between "die" and "Datei": the box's own wording.
    return "Soll die  Datei " + path + kDestroyNow;
}

std::string cannotProcess(const std::string& path, const std::string& reason) {
    return "Die Datei " + path + " kann nicht bearbeitet werden: " + reason;
}

std::string indistinguishableName(const std::string& path) {
    return "Der Name der Datei " + path +
           " lässt sich nicht von dem einer anderen Datei im selben Ordner unterscheiden. Benennen Sie die Datei um "
           "und wählen Sie sie erneut.";
}

std::string notDeleted(const std::string& path) {
    return "Die Datei " + path + " konnte nicht gelöscht werden! Starten sie das Programm als Administrator.";
}

namespace {

constexpr const char* kAdministratorHint = " Starten sie das Programm als Administrator.";
constexpr const char* kUnchanged = " Sie ist unverändert.";

bool isRefusal(int error) {
    return error == EACCES || error == EPERM;
}

std::string hintWhere(bool rightsWouldHelp) {
    return rightsWouldHelp ? kAdministratorHint : "";
}

// Built by appending: GCC 12 for mingw warns falsely on a short literal plus a temporary string.
std::string afterBlank(const std::string& sentence) {
    std::string spaced = " ";
    spaced += sentence;
    return spaced;
}

// Why the name could not be removed, as a sentence with a blank before it; nothing where unknown.
std::string nameRefusal(int error) {
    if (error == 0)
        return "";
    if (error == EROFS)
        return " Das Dateisystem ist schreibgeschützt.";
    if (isRefusal(error))
        return " Ihr Ordner erlaubt nicht, dort Namen zu ändern.";
    return afterBlank(describeError(error));
}

} // namespace

namespace {

// The doubts about the content, or those about the name alone.
Doubts aboutTheName(const Doubts& doubts, bool name) {
    Doubts chosen;
    std::copy_if(doubts.begin(), doubts.end(), std::back_inserter(chosen),
                 [&](const Doubt& doubt) { return isAboutTheName(doubt.kind) == name; });
    return chosen;
}

} // namespace

std::string contentFate(const Doubts& doubts) {
    const Doubts content = aboutTheName(doubts, false);
    if (content.empty())
        return "Ihr Inhalt ist überschrieben, und der Datenträger hat das beim Nachlesen bestätigt.";
    return "Ihr Inhalt ist überschrieben, aber das ließ sich nicht nachweisen: " + reasons(content) + kUnprovenTail;
}

std::string cannotOpen(int error, bool fullRights) {
    if (error == 0 || error == EBUSY || error == ETXTBSY)
        return kCannotOpen;
    if (error == EROFS)
        return std::string("Die Datei kann nicht geöffnet werden: Das Dateisystem ist nur zum Lesen eingehängt, oder "
                           "der Datenträger ist schreibgeschützt.") +
               kUnchanged;
    if (isRefusal(error))
        return std::string("Die Datei kann nicht zum Schreiben geöffnet werden: Dieser Benutzer darf sie nicht "
                           "ändern.") +
               kUnchanged + hintWhere(!fullRights);
    if (error == kFileUnchangeable)
        return std::string("Die Datei ist gegen jede Änderung gesperrt (unveränderlich, nur zum Anhängen oder eine "
                           "Systemdatei).") +
               kUnchanged + hintWhere(!fullRights);
    if (error == kFileReplaced)
        return "Die Datei wurde seit der Auswahl durch eine andere ersetzt. Keine der beiden wurde verändert.";
    return "Die Datei kann nicht geöffnet werden: " + describeError(error) + kUnchanged;
}

std::string notDeletedAfterPasses(const std::string& path, int error, const Doubts& doubts, bool fullRights) {
    const bool rightsWouldHelp = !fullRights && (error == 0 || isRefusal(error));
    return "Die Datei " + path + " konnte nicht gelöscht werden!" + nameRefusal(error) + hintWhere(rightsWouldHelp) +
           " " + contentFate(doubts);
}

std::string unchangeable(const std::string& path, const Doubts& doubts, bool fullRights) {
    return "Die Datei " + path +
           " wurde während des Zerstörens gegen jede Änderung gesperrt (unveränderlich, nur zum Anhängen oder eine "
           "Systemdatei) und bleibt unter ihrem Namen. " +
           contentFate(doubts) + hintWhere(!fullRights);
}

std::string nameGone(const std::string& path, const Doubts& doubts) {
    return std::string(kFileNotFound) + " Der Name der Datei " + path +
           " wurde während des Zerstörens von einem anderen Programm gelöscht. " + contentFate(doubts);
}

std::string newFileUnderName(const std::string& path, const Doubts& doubts) {
    return "Während des Zerstörens hat ein anderes Programm eine neue Datei unter dem Namen " + path +
           " gespeichert; sie wurde nicht verändert. Die bisherige Fassung ist gelöscht. " + contentFate(doubts);
}

std::string deletedUnproven(const std::string& path, const Doubts& doubts) {
    const Doubts content = aboutTheName(doubts, false);
    const Doubts name = aboutTheName(doubts, true);
    if (content.empty())
        return "Die Datei " + path +
               " ist überschrieben und gelöscht, und der Datenträger hat das Überschreiben beim Nachlesen bestätigt. "
               "Ihr Name kann aber noch lesbar sein: " +
               reasons(name) + ".";
    std::string text = kUnprovenHead + path + kUnprovenMiddle + reasons(content) + kUnprovenTail;
    if (!name.empty())
        text += afterBlank("Auch ihr Name kann noch lesbar sein: " + reasons(name) + ".");
    return text;
}

namespace {

// A sentence as a part of another one.
std::string withoutFinalStop(std::string sentence) {
    if (!sentence.empty() && sentence.back() == '.')
        sentence.pop_back();
    return sentence;
}

} // namespace

std::string cannotWrite(int error) {
    std::string why;
    if (error == ENOSPC || error == kQuotaExceeded)
        why = "auf dem Datenträger ist kein Platz mehr";
    else if (error == EFBIG)
        why = "sie darf nicht größer werden, als eine Größenbeschränkung erlaubt";
    else if (error == EIO)
        why = "der Datenträger meldet einen Ein- oder Ausgabefehler";
    else if (error == EACCES || error == EPERM || error == EROFS)
        why = "das Schreiben wird verweigert";
    else
        why = withoutFinalStop(describeError(error));
    return "Die Datei kann nicht ganz überschrieben werden: " + why +
           ". Sie liegt noch an ihrem Ort und ist nur zum Teil überschrieben.";
}

std::string deletionUnflushed(const std::string& path) {
    return "Die Datei " + path +
           " ist überschrieben und gelöscht, aber der Datenträger hat das Löschen nicht bestätigt. Nach einem "
           "Stromausfall kann sie leer unter ihrem Namen wieder erscheinen.";
}

std::string leftEmptied(const std::string& path) {
    return "Der Inhalt der Datei ist überschrieben, und sie ist leer, aber nicht gelöscht: In ihrem Ordner dürfen "
           "andere Benutzer Namen ändern, und ein eigener Ordner ließ sich dort nicht anlegen. Sie liegt jetzt unter " +
           path + ".";
}

std::string replaced(const std::string& path, const std::string& leftAt) {
    return "Unter dem Namen " + path +
           " lag beim Löschen eine andere Datei. Sie wurde nicht verändert und liegt jetzt unter " + leftAt +
           ". Die überschriebene Datei ist leer, aber nicht gelöscht.";
}

std::string reason(const Doubt& doubt) {
    switch (doubt.kind) {
    case DoubtKind::WritesElsewhere:
        return "das Dateisystem " + doubt.detail + " schreibt geänderte Daten an eine neue Stelle";
    case DoubtKind::NetworkOrOverlay:
        return "sie liegt auf einem Netz- oder Overlay-Dateisystem (" + doubt.detail + ")";
    case DoubtKind::Flash:
        return std::string("sie liegt auf einem Flash-Datenträger (SSD, USB-Stick oder Speicherkarte), der geänderte "
                           "Daten an neue Stellen schreibt und alte Kopien zurückbehalten kann") +
               (doubt.encrypted ? " (diese Kopien sind verschlüsselt)" : "");
    case DoubtKind::SyncedFolder:
        return "sie liegt in einem Ordner, den " +
               (doubt.detail.empty() ? std::string("ein Synchronisationsdienst") : doubt.detail) +
               " mit anderen Rechnern oder einem Server abgleicht; dort können Kopien, frühere Fassungen und ein "
               "Papierkorb erhalten bleiben";
    case DoubtKind::JournalsContents:
        return "das Dateisystem führt ein Journal der Dateiinhalte";
    case DoubtKind::OpenElsewhere:
        return "sie ist noch in einem anderen Programm geöffnet, das ihren Inhalt halten oder weiter hineinschreiben "
               "kann";
    case DoubtKind::HoldersUnknown:
        return "es ließ sich nicht prüfen, ob Programme anderer Benutzer sie geöffnet halten und weiter "
               "hineinschreiben";
    case DoubtKind::SharedBlocks:
        return "ihre Blöcke gehören auch einer anderen Datei oder einem Snapshot";
    case DoubtKind::Compressed:
        return "sie ist komprimiert gespeichert";
    case DoubtKind::LocationUnknown:
        break;
    case DoubtKind::BlocksMoved:
        return "ihre Blöcke lagen nach dem Überschreiben an einer anderen Stelle";
    case DoubtKind::ReadBackDiffers:
        return "der Datenträger lieferte beim Nachlesen nicht das geschriebene Muster";
    case DoubtKind::WrittenMeanwhile:
        return "ein anderes Programm hat während des Zerstörens in sie geschrieben";
    case DoubtKind::AttributesKept:
        return "ihre erweiterten Attribute " + doubt.detail + " ließen sich nicht überschreiben";
    case DoubtKind::AttributesInFreeSpace:
        return "ihre erweiterten Attribute " + doubt.detail +
               " lagen in Blöcken für sich und können im freien Speicher lesbar bleiben";
    case DoubtKind::InsideRecord:
        return "sie ist so klein, dass das Dateisystem ihren Inhalt in seinen eigenen Verwaltungsdaten hält (bei NTFS "
               "im Eintrag der Datei in der MFT), wo sich das Überschreiben nicht nachlesen lässt";
    case DoubtKind::ReadBackThroughDriver:
        return "sie ließ sich nur über den Treiber des Dateisystems " + doubt.detail +
               " nachlesen, nicht vom Datenträger selbst, den nur ein Administrator lesen darf";
    case DoubtKind::NameKept:
        return "er ließ sich in ihrem Ordner nicht überschreiben";
    case DoubtKind::NameInSystemLog:
        return "NTFS hält ihn in seinem Protokoll ($LogFile) und im Änderungsjournal ($UsnJrnl), solange Windows ihn "
               "dort aufbewahrt, wo kein Programm ihn erreicht";
    }
    return "die Lage ihrer Daten auf dem Datenträger ist nicht bekannt";
}

std::string reasons(const Doubts& doubts) {
    std::string joined;
    for (const Doubt& doubt : doubts)
        joined += (joined.empty() ? "" : ", und ") + reason(doubt);
    return joined;
}

Box boxFor(const RunReport& report, const std::string& executableName, bool fullRights) {
    const std::string path = shownName(report.path);
    const std::string fate = report.overwritten ? afterBlank(contentFate(report.doubts)) : std::string();
    switch (report.notice) {
    case RunNotice::CannotOpen:
        return {cannotOpen(report.error, fullRights), kStyleWarning, kMessageTitle};
    case RunNotice::CannotWrite:
        return {cannotWrite(report.error), kStyleWarning, kMessageTitle};
    case RunNotice::Cancelled:
        return {kCancelled, kStyleWarning, kMessageTitle};
    case RunNotice::NotDeleted:
        if (report.overwritten)
            return {notDeletedAfterPasses(path, report.error, report.doubts, fullRights), kStyleError, executableName};
        return {notDeleted(path), kStyleError, executableName};
    case RunNotice::Replaced:
        return {replaced(path, shownName(report.strangerAt)) + fate, kStyleWarning, kMessageTitle};
    case RunNotice::DeletionUnflushed:
        return {deletionUnflushed(path) + fate, kStyleWarning, kMessageTitle};
    case RunNotice::LeftEmptied:
        return {leftEmptied(path) + fate, kStyleWarning, kMessageTitle};
    case RunNotice::NameGone:
        // The disposal's own box, OK alone and no icon, as long as nothing of the content may be left.
        return {nameGone(path, report.doubts),
                aboutTheName(report.doubts, false).empty() ? kStyleOkOnly : kStyleWarning, kApplicationTitle};
    case RunNotice::NewFileUnderName:
        return {newFileUnderName(path, report.doubts), kStyleWarning, kMessageTitle};
    case RunNotice::Unchangeable:
        return {unchangeable(path, report.doubts, fullRights), kStyleError, executableName};
    case RunNotice::DeletedUnproven:
        break;
    }
    return {deletedUnproven(path, report.doubts), kStyleWarning, kMessageTitle};
}

} // namespace kelvanter::boxTexts
