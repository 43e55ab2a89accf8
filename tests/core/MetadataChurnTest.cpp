// The churn of names through a file system's metadata log, against a log whose size and count
// the test sets: it says the names were reached only when the log came round, and every ending
// leaves the fill folder as empty as it found it.
#include "core/MetadataChurn.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/TempFolder.h"

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
    SysResult<FileHandle> createNewFile(const std::string& path) override {
        if (refuseCreatesWith != 0)
            return {kNoHandle, refuseCreatesWith};
        ++created;
        return InstrumentedFileServices::createNewFile(path);
    }

private:
    std::int64_t written_ = 5'000'000; // what the log took before the churn began
};

class Watching : public FreeSpaceWatcher {
public:
    bool cancel = false;
    void processEvents() override {}
    void setPercent(std::int32_t) override {}
    bool cancelRequested() const override { return cancel; }
};

struct ChurnCase {
    const char* name;
    std::function<void(ScriptedLog&, Watching&)> arrange;
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
    Watching watcher;
    FakeClock clock;
};

TEST_P(Churn, SaysReachedOnlyWhenTheLogCameRoundAndLeavesNoFile) {
    GetParam().arrange(files, watcher);
    const ChurnReport report =
        churnMetadataLog(files, clock, watcher, utf8Of(folder.path()), ".kelvanter-fuellung-test-");
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
        ChurnCase{"ComesRound", [](ScriptedLog&, Watching&) {}, NamesInLog::Reached, 14},
        ChurnCase{"NoneToRead", [](ScriptedLog& files, Watching&) { files.hasLog = false; }, NamesInLog::NoLog, 0},
        // btrfs: a bounded number of batches, never said to reach the names.
        ChurnCase{"WritesUncounted", [](ScriptedLog& files, Watching&) { files.countsWrites = false; },
                  NamesInLog::Unreached, 32},
        ChurnCase{"TheFolderIsFull", [](ScriptedLog& files, Watching&) { files.refuseCreatesWith = ENOSPC; },
                  NamesInLog::Unreached, 2},
        ChurnCase{"TheFolderIsReadOnly", [](ScriptedLog& files, Watching&) { files.refuseCreatesWith = EROFS; },
                  NamesInLog::Unreached, 2},
        ChurnCase{
            "CancelledInTheFirstBatch",
            [](ScriptedLog& files, Watching& watcher) { files.onFlush = [&watcher](int) { watcher.cancel = true; }; },
            NamesInLog::Unreached, 2}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kelvanter::testing
