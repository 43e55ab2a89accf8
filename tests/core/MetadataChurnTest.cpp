// The churn of names through a file system's metadata log, against a log whose size and count
// the test sets: it says the names were reached only when the log came round, and every ending
// leaves the fill folder as empty as it found it.
#include "core/MetadataChurn.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/TempFolder.h"
#include "support/WatchedFill.h"
#include "support/WrittenNames.h"

#include <cerrno>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace kelvanter::testing {
namespace {

constexpr std::int64_t kLogSize = 1'000'000;

// A log that takes `perFlush` bytes at every flush of the file system; the folder refuses new
// entries where told to.
class ScriptedLog : public InstrumentedFileServices {
public:
    bool hasLog = true;
    bool countsWrites = true;
    std::int64_t perFlush = 100'000;
    int refuseCreatesWith = 0;
    std::function<void(int flush)> onFlush;
    int fileSystemFlushes = 0;
    int created = 0;

    SysResult<MetadataLog> metadataLogOf(const std::string&) override {
        if (!hasLog)
            return {{}, EOPNOTSUPP};
        return {{kLogSize, written_, countsWrites}, 0};
    }
    SysStatus flushFileSystem(const std::string& path) override {
        written_ += perFlush;
        ++fileSystemFlushes;
        if (onFlush)
            onFlush(fileSystemFlushes);
        return InstrumentedFileServices::flushFileSystem(path);
    }
    SysResult<FileHandle> createFileAt(FileHandle folder, const std::string& name) override {
        if (refuseCreatesWith != 0)
            return {kNoHandle, refuseCreatesWith};
        ++created;
        return InstrumentedFileServices::createFileAt(folder, name);
    }

private:
    std::int64_t written_ = 5'000'000; // what the log took before the churn began
};

struct ChurnCase {
    const char* name;
    std::function<void(ScriptedLog&, WatchedFill&)> arrange;
    NamesInLog expected;
    int flushes; // of the file system, two per batch
};

void PrintTo(const ChurnCase& c, std::ostream* out) {
    *out << c.name;
}

class Churn : public ::testing::TestWithParam<ChurnCase> {
protected:
    TempFolder folder;
    ScriptedLog files;
    WatchedFill watcher;
    LoneProcess process;
    FakeClock clock;
    FillCounters counters;
};

TEST_P(Churn, SaysReachedOnlyWhenTheLogCameRoundAndLeavesNoFile) {
    GetParam().arrange(files, watcher);
    HeldFolder fill(files, utf8Of(folder.path()));
    const ChurnReport report =
        churnMetadataLog(FillContext{watcher, files, process, clock, counters}, fill, utf8Of(folder.path()),
                         std::string(diskNames::kFillFolderPrefix) + "test-");
    EXPECT_EQ(report.names, GetParam().expected);
    EXPECT_EQ(files.fileSystemFlushes, GetParam().flushes);
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << "a churned file is left behind";
    if (report.names == NamesInLog::Reached) {
        EXPECT_GE(report.logged, kLogSize) << "reached with less written than the log holds";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Logs, Churn,
    ::testing::Values(
        // 1.25 MB to write at 200 kB a batch: seven batches.
        ChurnCase{"ComesRound", [](ScriptedLog&, WatchedFill&) {}, NamesInLog::Reached, 14},
        ChurnCase{"NoneToRead", [](ScriptedLog& files, WatchedFill&) { files.hasLog = false; }, NamesInLog::NoLog, 0},
        // btrfs: a bounded number of batches, never said to reach the names.
        ChurnCase{"WritesUncounted", [](ScriptedLog& files, WatchedFill&) { files.countsWrites = false; },
                  NamesInLog::Unreached, 32},
        ChurnCase{"TheFolderIsFull", [](ScriptedLog& files, WatchedFill&) { files.refuseCreatesWith = ENOSPC; },
                  NamesInLog::Unreached, 2},
        ChurnCase{"TheFolderIsReadOnly", [](ScriptedLog& files, WatchedFill&) { files.refuseCreatesWith = EROFS; },
                  NamesInLog::Unreached, 2},
        ChurnCase{"CancelledInTheFirstBatch",
                  [](ScriptedLog& files, WatchedFill& watcher) {
                      files.onFlush = [&watcher](int) { watcher.cancel = true; };
                  },
                  NamesInLog::Unreached, 2}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kelvanter::testing
