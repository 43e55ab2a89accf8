#include "window/FreeSpaceTexts.h"

#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

using namespace freeSpaceTexts;

FillReport done(std::int64_t written, std::int64_t unreached, StorageKind kind = StorageKind::InPlace,
                MediaKind media = MediaKind::Rotating, bool journal = false) {
    FillReport report;
    report.end = FillEnd::Done;
    report.written = written;
    report.unreached = unreached;
    report.storage.kind = kind;
    report.storage.media = media;
    report.storage.journalsData = journal;
    report.namesInLog = NamesInLog::Reached;
    return report;
}

FillReport logStructured(FillReport report) {
    report.storage.logStructured = true;
    return report;
}

FillReport namesLeft(FillReport report, NamesInLog names, DeletedNames inFolders = DeletedNames::Reused) {
    report.namesInLog = names;
    report.storage.deletedNames = inFolders;
    return report;
}

FillReport recordsReached(FillReport report) {
    report.recordsReached = true;
    return report;
}

// The box after the run says in its first sentence how much was reached, and names what was not.
TEST(FreeSpaceTexts, TheResultSaysWhatWasWrittenAndWhatWasNotReached) {
    const std::string written = "1234,6 MB geschrieben. Die Fülldateien sind wieder gelöscht.";
    const std::string all = "Der freie Speicher wurde überschrieben: " + written;
    const std::string asFar = "Der freie Speicher wurde überschrieben, soweit ein Programm ihn erreicht: " + written;
    struct Case {
        const char* what;
        FillReport report;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"all reached", done(1'234'567'890, 4096), all},
        {"reserve", done(1'234'567'890, 52'000'000),
         "Der freie Speicher wurde bis auf 52,0 MB überschrieben: " + written +
             " Nicht erreicht: 52,0 MB, die das Dateisystem für den Administrator oder für seine eigene Verwaltung "
             "zurückhält."},
        {"btrfs on flash", done(1'234'567'890, 0, StorageKind::CopyOnWrite, MediaKind::Flash),
         asFar + " Nicht erreicht: Blöcke, die noch zu Snapshots oder zu anderen Dateien gehören; die Reservezellen "
                 "des Flash-Datenträgers, die kein Programm erreicht."},
        {"data journal", done(1'234'567'890, 0, StorageKind::InPlace, MediaKind::Rotating, true),
         asFar + " Nicht erreicht: das Journal der Dateiinhalte, das noch Kopien halten kann."},
        {"f2fs on flash", logStructured(done(1'234'567'890, 0, StorageKind::CopyOnWrite, MediaKind::Flash)),
         asFar + " Nicht erreicht: Blöcke, die noch zu Snapshots oder zu anderen Dateien gehören; die "
                 "Verwaltungsblöcke des Dateisystems und seine alten Segmente, die noch Inhalte und Namen kleiner "
                 "Dateien halten können; die Reservezellen des Flash-Datenträgers, die kein Programm erreicht."},
        {"btrfs's metadata, churned but not seen to come round",
         namesLeft(done(1'234'567'890, 0, StorageKind::CopyOnWrite), NamesInLog::Unreached),
         asFar + " Nicht erreicht: Blöcke, die noch zu Snapshots oder zu anderen Dateien gehören; Namen gelöschter "
                 "Dateien in den Verwaltungsdaten des Dateisystems."},
        {"a journal this program cannot read", namesLeft(done(1'234'567'890, 0), NamesInLog::NoLog),
         asFar + " Nicht erreicht: Namen gelöschter Dateien in den Verwaltungsdaten des Dateisystems."},
        {"FAT", namesLeft(done(1'234'567'890, 0), NamesInLog::NoLog, DeletedNames::FatSlots),
         asFar + " Nicht erreicht: die Namen früher gelöschter Dateien in den Einträgen ihrer Ordner."},
        {"NTFS, every free MFT record taken",
         recordsReached(namesLeft(done(1'234'567'890, 0), NamesInLog::NoLog, DeletedNames::NtfsIndex)),
         asFar + " Nicht erreicht: die Namen früher gelöschter Dateien in den Einträgen ihrer Ordner."},
        {"NTFS, its MFT out of reach", namesLeft(done(1'234'567'890, 0), NamesInLog::NoLog, DeletedNames::NtfsIndex),
         asFar + " Nicht erreicht: die Namen früher gelöschter Dateien in den Einträgen ihrer Ordner; die freien "
                 "Einträge der MFT, die Namen und Inhalte kleiner gelöschter Dateien halten können."},
        {"memory", namesLeft(done(1'234'567'890, 4096, StorageKind::MemoryOnly), NamesInLog::NoLog), all},
    };
    for (const Case& c : cases)
        EXPECT_EQ(result(c.report, "/daten"), c.text) << c.what;
}

// Only what happened: fill files are said to be gone only where some were made.
TEST(FreeSpaceTexts, EachEndingSaysOnlyWhatHappened) {
    const auto ended = [](FillEnd end, std::int64_t written, int filesMade, int error = 0) {
        FillReport report;
        report.end = end;
        report.written = written;
        report.filesMade = filesMade;
        report.error = error;
        return report;
    };
    struct Case {
        const char* what;
        FillReport report;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"cancelled", ended(FillEnd::Cancelled, 20'000'000, 1),
         "Das Überschreiben des freien Speichers wurde abgebrochen; 20,0 MB waren geschrieben. Die Fülldateien sind "
         "wieder gelöscht."},
        {"read-only", ended(FillEnd::Failed, 0, 0, EROFS),
         "Der freie Speicher ließ sich nicht überschreiben: Das Dateisystem ist schreibgeschützt."},
        {"an I/O error midway", ended(FillEnd::Failed, 30'000'000, 2, EIO),
         "Der freie Speicher ließ sich nicht ganz überschreiben: Ein- oder Ausgabefehler des Datenträgers. 30,0 MB "
         "waren geschrieben. Die Fülldateien sind wieder gelöscht."},
        {"full", ended(FillEnd::NothingFree, 0, 0),
         "Auf dem Laufwerk, auf dem der Ordner /daten liegt, ist kein freier Speicher, den dieses Programm "
         "beschreiben könnte."},
        {"another fill", ended(FillEnd::Busy, 0, 0),
         "Auf dem Laufwerk, auf dem der Ordner /daten liegt, läuft schon ein Überschreiben des freien Speichers."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(result(c.report, "/daten"), c.text) << c.what;
    EXPECT_EQ(killedFillsRemoved({"/media/stick/.kelvanter-fuellung-1", "/home/anna/.kelvanter-fuellung-2"}),
              "Ein abgebrochenes Überschreiben des freien Speichers hatte Fülldateien zurückgelassen; sie sind jetzt "
              "gelöscht: /media/stick/.kelvanter-fuellung-1, /home/anna/.kelvanter-fuellung-2.");
}

TEST(FreeSpaceTexts, TheConfirmationSaysTheDriveIsFullMeanwhile) {
    const std::string text = confirmation("/home/anna");
    EXPECT_NE(text.find("/home/anna"), std::string::npos);
    EXPECT_NE(text.find("ist das Laufwerk voll"), std::string::npos);
    EXPECT_NE(text.find("Das dauert eine Weile."), std::string::npos);
    EXPECT_EQ(fileSystemCaption("ext4", 1'500'000'000), "Dateisystem: ext4     Frei: 1500,0 MB");
}

} // namespace
} // namespace kelvanter::testing
