// Every box of the main window and of a run, word for word: the one place the tests spell them.
#include "window/BoxTexts.h"
#include "platform/FileServices.h"
#include "window/BoxStyles.h"
#include "window/ErrorTexts.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

using namespace boxTexts;

TEST(BoxTexts, TheQuestionsAndTheirTitlesAreWordForWord) {
    EXPECT_EQ(confirmation("C:\\a.txt"), "Soll die  Datei C:\\a.txt jetzt unwiderruflich zerstört werden?");
    EXPECT_EQ(readOnlyQuestion("C:\\a.txt"),
              "Die Datei C:\\a.txt ist schreibgeschützt. Soll der Schreibschutz entfernt werden ?");
    EXPECT_STREQ(kNotFound, "Die Datei wurde nicht gefunden. Die Datei ist entweder nicht vorhanden, es ist eine "
                            "versteckte Datei oder eine Systemdatei. Dateiattribute überprüfen !");
    EXPECT_STREQ(kNotFoundTitle, "Kelvanter-Nachricht");
    EXPECT_STREQ(kMessageTitle, "Kelvanter - Nachricht");
    EXPECT_STREQ(kConfirmationTitle, "Kelvanter - Kontrollabfrage");
    EXPECT_EQ(doubtQuestion("/a", {{DoubtKind::JournalsContents}}),
              "Die Datei /a kann hier nicht an Ort und Stelle überschrieben werden: das Dateisystem führt ein Journal "
              "der Dateiinhalte. Ihr bisheriger Inhalt kann danach noch auf dem Datenträger lesbar sein. Trotzdem "
              "fortfahren ?");
    EXPECT_EQ(indistinguishableName("/a"),
              "Der Name der Datei /a lässt sich nicht von dem einer anderen Datei im selben Ordner unterscheiden. "
              "Benennen Sie die Datei um und wählen Sie sie erneut.");
    EXPECT_EQ(cannotProcess("/a", describeError(ENOENT)),
              "Die Datei /a kann nicht bearbeitet werden: Die Datei oder der Ordner ist nicht vorhanden.");
}

TEST(BoxTexts, EachDoubtCompletesTheSentenceAndSeveralAreJoined) {
    struct Case {
        Doubt doubt;
        const char* text;
    };
    const Case cases[] = {
        {{DoubtKind::WritesElsewhere, "btrfs"}, "das Dateisystem btrfs schreibt geänderte Daten an eine neue Stelle"},
        {{DoubtKind::NetworkOrOverlay, "cifs"}, "sie liegt auf einem Netz- oder Overlay-Dateisystem (cifs)"},
        {{DoubtKind::Flash},
         "sie liegt auf einem Flash-Datenträger (SSD, USB-Stick oder Speicherkarte), der geänderte Daten an neue "
         "Stellen schreibt und alte Kopien zurückbehalten kann"},
        {{DoubtKind::Flash, "", true},
         "sie liegt auf einem Flash-Datenträger (SSD, USB-Stick oder Speicherkarte), der geänderte Daten an neue "
         "Stellen schreibt und alte Kopien zurückbehalten kann (diese Kopien sind verschlüsselt)"},
        {{DoubtKind::SyncedFolder, "Nextcloud"},
         "sie liegt in einem Ordner, den Nextcloud mit anderen Rechnern oder einem Server abgleicht; dort können "
         "Kopien, frühere Fassungen und ein Papierkorb erhalten bleiben"},
        {{DoubtKind::SyncedFolder, ""},
         "sie liegt in einem Ordner, den ein Synchronisationsdienst mit anderen Rechnern oder einem Server abgleicht; "
         "dort können Kopien, frühere Fassungen und ein Papierkorb erhalten bleiben"},
        {{DoubtKind::JournalsContents}, "das Dateisystem führt ein Journal der Dateiinhalte"},
        {{DoubtKind::SharedBlocks}, "ihre Blöcke gehören auch einer anderen Datei oder einem Snapshot"},
        {{DoubtKind::Compressed}, "sie ist komprimiert gespeichert"},
        {{DoubtKind::LocationUnknown}, "die Lage ihrer Daten auf dem Datenträger ist nicht bekannt"},
        {{DoubtKind::BlocksMoved}, "ihre Blöcke lagen nach dem Überschreiben an einer anderen Stelle"},
        {{DoubtKind::ReadBackDiffers}, "der Datenträger lieferte beim Nachlesen nicht das geschriebene Muster"},
        {{DoubtKind::InsideRecord},
         "sie ist so klein, dass das Dateisystem ihren Inhalt in seinen eigenen Verwaltungsdaten hält (bei NTFS im "
         "Eintrag der Datei in der MFT), wo sich das Überschreiben nicht nachlesen lässt"},
        {{DoubtKind::ReadBackThroughDriver, "ntfs"},
         "sie ließ sich nur über den Treiber des Dateisystems ntfs nachlesen, nicht vom Datenträger selbst, den nur "
         "ein Administrator lesen darf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reason(c.doubt), c.text);
    EXPECT_EQ(
        reasons({{DoubtKind::WritesElsewhere, "btrfs"}, {DoubtKind::Compressed}, {DoubtKind::BlocksMoved}}),
        "das Dateisystem btrfs schreibt geänderte Daten an eine neue Stelle, und sie ist komprimiert gespeichert, "
        "und ihre Blöcke lagen nach dem Überschreiben an einer anderen Stelle");
}

// A run's reports, as the box shows them: text, style and title.
TEST(BoxTexts, EachReportOfARunHasItsBox) {
    struct Case {
        RunReport report;
        Box box;
    };
    const Case cases[] = {
        {{RunNotice::CannotOpen, "/a", EBUSY},
         {"Die Datei kann nicht geöffnet werden. Sie wird wahrscheinlich von einer anderen Anwendung benutzt.",
          kStyleWarning, "Kelvanter - Nachricht"}},
        {{RunNotice::NotDeleted, "/a"},
         {"Die Datei /a konnte nicht gelöscht werden! Starten sie das Programm als Administrator.", kStyleError,
          "kelvanter"}},
        {{RunNotice::DeletedUnproven, "/a", 0, {{DoubtKind::ReadBackDiffers}}},
         {"Die Datei /a wurde gelöscht, aber das Überschreiben ließ sich nicht nachweisen: der Datenträger lieferte "
          "beim Nachlesen nicht das geschriebene Muster. Ihr bisheriger Inhalt kann noch auf dem Datenträger lesbar "
          "sein.",
          kStyleWarning, "Kelvanter - Nachricht"}},
        // What stays of the name is said apart from the content, which the device confirmed.
        {{RunNotice::DeletedUnproven, "C:\\Akten\\a.txt", 0, {{DoubtKind::NameInSystemLog}}},
         {"Die Datei C:\\Akten\\a.txt ist überschrieben und gelöscht, und der Datenträger hat das Überschreiben beim "
          "Nachlesen bestätigt. Ihr Name kann aber noch lesbar sein: NTFS hält ihn in seinem Protokoll ($LogFile) und "
          "im Änderungsjournal ($UsnJrnl), solange Windows ihn dort aufbewahrt, wo kein Programm ihn erreicht.",
          kStyleWarning, "Kelvanter - Nachricht"}},
        {{RunNotice::DeletedUnproven, "/a", 0, {{DoubtKind::Flash}, {DoubtKind::NameKept}}},
         {"Die Datei /a wurde gelöscht, aber das Überschreiben ließ sich nicht nachweisen: sie liegt auf einem "
          "Flash-Datenträger (SSD, USB-Stick oder Speicherkarte), der geänderte Daten an neue Stellen schreibt und "
          "alte "
          "Kopien zurückbehalten kann. Ihr bisheriger Inhalt kann noch auf dem Datenträger lesbar sein. Auch ihr Name "
          "kann noch lesbar sein: er ließ sich in ihrem Ordner nicht überschreiben.",
          kStyleWarning, "Kelvanter - Nachricht"}},
    };
    for (const Case& c : cases) {
        const Box box = boxFor(c.report, "kelvanter");
        EXPECT_EQ(box.text, c.box.text);
        EXPECT_EQ(box.style, c.box.style) << c.box.text;
        EXPECT_EQ(box.title, c.box.title) << c.box.text;
    }
}

// Each way a pass can fail to write gets words that say which it was; an unknown one is named
// by the system's own text.
TEST(BoxTexts, AFailedWriteSaysWhyAndThatTheFileIsStillThere) {
    struct Case {
        int error;
        const char* why;
    };
    const Case cases[] = {
        {ENOSPC, "auf dem Datenträger ist kein Platz mehr"},
        {kQuotaExceeded, "auf dem Datenträger ist kein Platz mehr"},
        {EFBIG, "sie darf nicht größer werden, als eine Größenbeschränkung erlaubt"},
        {EIO, "der Datenträger meldet einen Ein- oder Ausgabefehler"},
        {EACCES, "das Schreiben wird verweigert"},
        {EPERM, "das Schreiben wird verweigert"},
        {EROFS, "das Schreiben wird verweigert"},
        {EBUSY, "Die Datei ist belegt"},
    };
    for (const Case& c : cases) {
        const Box box = boxFor({RunNotice::CannotWrite, "/a", c.error}, "k");
        EXPECT_EQ(box.text, std::string("Die Datei kann nicht ganz überschrieben werden: ") + c.why +
                                ". Sie liegt noch an ihrem Ort und ist nur zum Teil überschrieben.");
        EXPECT_EQ(box.style, kStyleWarning);
        EXPECT_STREQ(box.title.c_str(), kMessageTitle);
    }
}

// Each reason the passes could not open the file has its own words; the hint to start the program
// as administrator comes only where more rights would help.
TEST(BoxTexts, AnOpenThatFailedSaysWhyAndHintsAtRightsOnlyWhereTheyHelp) {
    const std::string inUse = boxTexts::kCannotOpen;
    const std::string hint = " Starten sie das Programm als Administrator.";
    struct Case {
        int error;
        bool fullRights;
        std::string text;
    };
    const std::string readOnly = "Die Datei kann nicht geöffnet werden: Das Dateisystem ist nur zum Lesen eingehängt, "
                                 "oder der Datenträger ist schreibgeschützt. Sie ist unverändert.";
    const std::string noRight = "Die Datei kann nicht zum Schreiben geöffnet werden: Dieser Benutzer darf sie nicht "
                                "ändern. Sie ist unverändert.";
    const std::string locked = "Die Datei ist gegen jede Änderung gesperrt (unveränderlich, nur zum Anhängen oder eine "
                               "Systemdatei). Sie ist unverändert.";
    const Case cases[] = {
        {EBUSY, false, inUse},
        {ETXTBSY, true, inUse},
        {EROFS, false, readOnly},
        {EACCES, false, noRight + hint},
        {EACCES, true, noRight},
        {kFileUnchangeable, false, locked + hint},
        {kFileUnchangeable, true, locked},
        {kFileReplaced, false,
         "Die Datei wurde seit der Auswahl durch eine andere ersetzt. Keine der beiden wurde "
         "verändert."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(boxFor({RunNotice::CannotOpen, "/a", c.error}, "k", c.fullRights).text, c.text) << c.error;
}

// After the passes every box says what became of the content, and why the name stayed.
TEST(BoxTexts, ABoxAfterThePassesSaysWhatBecameOfTheContent) {
    const std::string proven = "Ihr Inhalt ist überschrieben, und der Datenträger hat das beim Nachlesen bestätigt.";
    const std::string unproven = "Ihr Inhalt ist überschrieben, aber das ließ sich nicht nachweisen: ein anderes "
                                 "Programm hat während des Zerstörens in sie geschrieben. Ihr bisheriger Inhalt kann "
                                 "noch auf dem Datenträger lesbar sein.";
    const Doubts written = {{DoubtKind::WrittenMeanwhile}};
    struct Case {
        RunReport report;
        bool fullRights;
        std::string text;
    };
    const Case cases[] = {
        {RunReport::afterPasses(RunNotice::NotDeleted, "/d/a", {}, EACCES), false,
         "Die Datei /d/a konnte nicht gelöscht werden! Ihr Ordner erlaubt nicht, dort Namen zu ändern. Starten sie "
         "das Programm als Administrator. " +
             proven},
        {RunReport::afterPasses(RunNotice::NotDeleted, "/d/a", written, EPERM), true,
         "Die Datei /d/a konnte nicht gelöscht werden! Ihr Ordner erlaubt nicht, dort Namen zu ändern. " + unproven},
        {RunReport::afterPasses(RunNotice::NotDeleted, "/d/a", {}, EROFS), false,
         "Die Datei /d/a konnte nicht gelöscht werden! Das Dateisystem ist schreibgeschützt. " + proven},
        {RunReport::afterPasses(RunNotice::NameGone, "/d/a", {}), false,
         "Datei nicht gefunden! Der Name der Datei /d/a wurde während des Zerstörens von einem anderen Programm "
         "gelöscht. " +
             proven},
        {RunReport::afterPasses(RunNotice::NewFileUnderName, "/d/a", written), false,
         "Während des Zerstörens hat ein anderes Programm eine neue Datei unter dem Namen /d/a gespeichert; sie "
         "wurde nicht verändert. Die bisherige Fassung ist gelöscht. " +
             unproven},
        {RunReport::afterPasses(RunNotice::Unchangeable, "/d/a", {}), true,
         "Die Datei /d/a wurde während des Zerstörens gegen jede Änderung gesperrt (unveränderlich, nur zum Anhängen "
         "oder eine Systemdatei) und bleibt unter ihrem Namen. " +
             proven},
    };
    for (const Case& c : cases)
        EXPECT_EQ(boxFor(c.report, "k", c.fullRights).text, c.text);
}

// The refusals of the lookup that are no plain "not found" name their cause in the box.
TEST(BoxTexts, ARefusedLookupNamesItsCause) {
    struct Case {
        int error;
        const char* text;
    };
    const Case cases[] = {
        {kMountPoint, "Auf dem Pfad ist etwas anderes eingehängt; er nennt keine Datei seines Ordners."},
        {EACCES, "Zugriff verweigert."},
        {EIO, "Ein- oder Ausgabefehler des Datenträgers."},
        {kDirectIoRefused, "Das Dateisystem nimmt keine Schreibzugriffe am Zwischenspeicher vorbei an."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cannotProcess("/a", describeError(c.error)),
                  std::string("Die Datei /a kann nicht bearbeitet werden: ") + c.text);
    EXPECT_EQ(describeError(0x10009).rfind("Systemfehler 65545 (", 0), 0u) << "an unknown code is named, not hidden";
}

TEST(BoxTexts, AFileFoundInPlaceOfTheDestroyedOneIsNamedWhereItLies) {
    const Box box = boxFor({RunNotice::Replaced, "/d/brief", 0, {}, "/d/07123509.del"}, "k");
    EXPECT_EQ(box.text, "Unter dem Namen /d/brief lag beim Löschen eine andere Datei. Sie wurde nicht verändert und "
                        "liegt jetzt unter /d/07123509.del. Die überschriebene Datei ist leer, aber nicht gelöscht.");
    EXPECT_EQ(box.style, kStyleWarning);
}

// A name's undecodable byte shows as U+FFFD in the box, the rest of it as it is.
TEST(BoxTexts, APathInABoxIsShownAsText) {
    EXPECT_EQ(
        boxFor({RunNotice::NotDeleted, "/brief-\xE4.txt"}, "k").text.rfind("Die Datei /brief-\xEF\xBF\xBD.txt ", 0),
        0u);
}

} // namespace
} // namespace kelvanter::testing
