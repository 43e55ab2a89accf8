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
    return report;
}

// The box after the run says how much was written and names what could not be reached.
TEST(FreeSpaceTexts, TheResultSaysWhatWasWrittenAndWhatWasNotReached) {
    const std::string head = "Der freie Speicher wurde überschrieben: 1234,6 MB geschrieben. Die Fülldateien sind "
                             "wieder gelöscht.";
    struct Case {
        const char* what;
        FillReport report;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"all reached", done(1'234'567'890, 4096), head},
        {"reserve", done(1'234'567'890, 52'000'000),
         head + " Nicht erreicht: 52,0 MB, die das Dateisystem für den Administrator oder für seine eigene Verwaltung "
                "zurückhält."},
        {"btrfs on flash", done(1'234'567'890, 0, StorageKind::CopyOnWrite, MediaKind::Flash),
         head + " Nicht erreicht: Blöcke, die noch zu Snapshots oder zu anderen Dateien gehören; die Reservezellen des "
                "Flash-Datenträgers, die kein Programm erreicht."},
        {"data journal", done(1'234'567'890, 0, StorageKind::InPlace, MediaKind::Rotating, true),
         head + " Nicht erreicht: das Journal der Dateiinhalte, das noch Kopien halten kann."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(result(c.report, "/daten"), c.text) << c.what;
    FillReport cancelled;
    cancelled.end = FillEnd::Cancelled;
    cancelled.written = 20'000'000;
    EXPECT_EQ(result(cancelled, "/daten"), "Das Überschreiben des freien Speichers wurde abgebrochen; 20,0 MB waren "
                                           "geschrieben. Die Fülldateien sind wieder gelöscht.");
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
