#include "support/CoreFixture.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace kelvanter::testing {
namespace {

struct DisplaySequence {
    std::vector<std::string> calls;
    std::vector<std::int64_t> bytesDoneAtStep;
};

// What the display sees when every block is its own write: the steps, and the counter each step reads.
DisplaySequence oneBlockPerWrite(std::int64_t length, bool intensive) {
    DisplaySequence seen{{"disable"}, {}};
    const int passes = intensive ? 7 : 1;
    const double total = static_cast<double>(passes) * static_cast<double>(length);
    std::int64_t done = 0, running = 0, fileLength = length;
    int percent = 0;
    for (int pass = 1; pass <= passes; ++pass) {
        const std::int64_t blocks = fileLength / 4096 + 1;
        const std::int64_t step = std::max<std::int64_t>(1, intensive ? 7 * (blocks + 1) / 100 : blocks / 100);
        for (std::int64_t index = 1; index <= blocks; ++index) {
            if (++running % step == 0) {
                seen.bytesDoneAtStep.push_back(done);
                percent = std::min(percent + 1, 99);
                const std::string p = std::to_string(percent);
                seen.calls.insert(seen.calls.end(), {"events", "percent " + p + " %", "bar " + p + " 49344 100"});
            }
            done = intensive ? static_cast<std::int64_t>(std::nearbyint(total / 7.0 * (pass - 1) + index * 4096.0))
                             : index * 4096;
        }
        fileLength = std::max(fileLength, blocks * 4096);
    }
    seen.calls.insert(seen.calls.end(), {"pointer 11", "background 49344", "percent 100 %", "show success", "enable"});
    return seen;
}

struct BatchCase {
    std::int64_t length;
    bool intensive;
};

void PrintTo(const BatchCase& c, std::ostream* out) {
    *out << c.length << (c.intensive ? " intensive" : " normal");
}

class BatchedWrites : public CoreFixture, public ::testing::WithParamInterface<BatchCase> {};

TEST_P(BatchedWrites, ShowTheDisplayExactlyWhatOneWritePerBlockWouldShow) {
    const auto [length, intensive] = GetParam();
    const std::string path = writeSample(folder.file("f"), static_cast<std::size_t>(length));
    destroy(path, intensive);
    const DisplaySequence expected = oneBlockPerWrite(length, intensive);
    EXPECT_EQ(display.calls, expected.calls);
    EXPECT_EQ(display.bytesDoneAtStep, expected.bytesDoneAtStep);
    // Batches, not blocks: far fewer calls than blocks once a step spans several blocks; a few
    // more where the first calls of the run are small while the pace finds the device's speed,
    // and one a pass for the blocks past the file's end, written on their own.
    const int passes = intensive ? 7 : 1;
    EXPECT_LE(files.writes, static_cast<int>(expected.bytesDoneAtStep.size()) + 14 + passes);
}

// 200 and 1001 blocks put steps on every second and every tenth block; 10000 bytes intensive steps
// on every block, 4096000 bytes intensive every seventieth, across the passes.
INSTANTIATE_TEST_SUITE_P(Boundaries, BatchedWrites,
                         ::testing::Values(BatchCase{0, false}, BatchCase{199 * 4096, false}, BatchCase{4096000, false},
                                           BatchCase{10000, true}, BatchCase{4096000, true}),
                         [](const auto& info) {
                             return std::string(info.param.intensive ? "Intensive" : "Normal") +
                                    std::to_string(info.param.length);
                         });

using DirectWrites = CoreFixture;

// A file system that refuses direct writes, at the open or at the first write: the pass goes on
// through the cache, and the file is still overwritten and destroyed.
TEST_F(DirectWrites, RefusedAtTheOpenOrTheFirstWriteFallBackToBufferedWrites) {
    for (const bool atOpen : {true, false}) {
        InstrumentedFileServices refusing;
        refusing.refuseDirectOpen = atOpen;
        refusing.refuseDirectWrite = !atOpen;
        RecordingDisplay shown;
        const std::string path = writeSample(folder.file(atOpen ? "a" : "b"), 10000);
        shown.selectMode(true);
        std::vector<unsigned char> beforeCut;
        refusing.beforeCut = [&] { beforeCut = readBytes(path); };
        ByteCounters counts;
        EXPECT_EQ(vesk(CoreContext{shown, shown, refusing, process, clock}, counts, path, shown.modes()),
                  Verdict::Destroyed)
            << atOpen;
        EXPECT_EQ(refusing.directOpens, atOpen ? 0 : 1);
        EXPECT_EQ(refusing.blocksWritten, 42);
        EXPECT_EQ(beforeCut.size(), 36864u);
        EXPECT_TRUE(allBytesEqual(beforeCut, 246));
        EXPECT_EQ(refusing.opens, 1);
        EXPECT_TRUE(refusing.openHandles().empty()) << "the pass's file and the file's folder, each closed";
        EXPECT_FALSE(entryExists(path));
    }
}

TEST_F(DirectWrites, GoStraightToTheDeviceWhereItTakesThem) {
    const std::string path = writeSample(folder.file("f"), 10000);
    destroy(path, true);
    EXPECT_EQ(files.directOpens, 1);
    EXPECT_TRUE(display.successVisible);
}

TEST_F(DirectWrites, OnTmpfsTheFileIsDestroyedWhicheverRouteItTakes) {
    if (!std::filesystem::is_directory("/dev/shm"))
        GTEST_SKIP() << "no /dev/shm on this machine";
    TempFolder shm("/dev/shm");
    const std::string path = writeSample(shm.file("geheim"), 10000);
    captureContentsBeforeCut(path);
    destroy(path);
    EXPECT_EQ(contentsBeforeCut, std::vector<unsigned char>(12288, 0));
    EXPECT_EQ(files.flushes, 1);
    EXPECT_FALSE(entryExists(path));
    EXPECT_TRUE(display.successVisible);
}

TEST_F(DirectWrites, AFailedBlockLeavesTheCounterAtTheBlocksWrittenAndClosesTheFile) {
    const std::string path = writeSample(folder.file("f"), 4096000);
    files.failWriteAt = 500;
    destroy(path);
    EXPECT_EQ(counters.lBytesDone, 499 * 4096);
    EXPECT_TRUE(files.openHandles().empty());
    EXPECT_EQ(notices(), std::vector<RunNotice>{RunNotice::CannotWrite});
    EXPECT_TRUE(entryExists(path));
}

} // namespace
} // namespace kelvanter::testing
