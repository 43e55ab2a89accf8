#include "support/CoreFixture.h"

#include <numeric>

namespace kelvanter::testing {
namespace {

using OverwritePasses = CoreFixture;

struct NormalCase {
    std::size_t length;
    std::size_t written;
};

void PrintTo(const NormalCase& c, std::ostream* out) {
    *out << c.length << " bytes";
}

class NormalModeLengths : public CoreFixture, public ::testing::WithParamInterface<NormalCase> {};

TEST_P(NormalModeLengths, WritesWholeZeroBlocksOneMoreThanTheLengthHolds) {
    const auto [length, written] = GetParam();
    const std::string path = writeSample(folder.file("brief.txt"), length);
    captureContentsBeforeCut(path);

    destroy(path);

    EXPECT_EQ(contentsBeforeCut.size(), written);
    EXPECT_TRUE(allBytesEqual(contentsBeforeCut, 0));
    EXPECT_EQ(counters.lBytesTotal, static_cast<std::int64_t>(length));
    EXPECT_EQ(counters.lBytesDone, static_cast<std::int64_t>(written));
    EXPECT_FALSE(entryExists(path));
    EXPECT_TRUE(display.successVisible);
}

INSTANTIATE_TEST_SUITE_P(Lengths, NormalModeLengths,
                         ::testing::Values(NormalCase{0, 4096}, NormalCase{4095, 4096}, NormalCase{4096, 8192},
                                           NormalCase{8192, 12288}, NormalCase{10000, 12288}),
                         [](const auto& info) { return "Bytes" + std::to_string(info.param.length); });

TEST_F(OverwritePasses, EmptyFileNormalRunMakesExactlyTheseDisplayCallsInOrder) {
    const std::string path = writeSample(folder.file("leer"), 0);
    destroy(path);
    const std::vector<std::string> expected = {
        "disable",          "events",        "percent 1 %",  "bar 1 49344 100", "pointer 11",
        "background 49344", "percent 100 %", "show success", "enable",
    };
    EXPECT_EQ(display.calls, expected);
    EXPECT_TRUE(display.reports.empty());
}

TEST_F(OverwritePasses, IntensiveRunOnTenThousandBytesCountsAndEndsInPattern246) {
    const std::string path = writeSample(folder.file("daten.bin"), 10000);
    std::vector<std::int64_t> doneAfterEachPass;
    files.afterFlush = [&](int) { doneAfterEachPass.push_back(counters.lBytesDone); };
    captureContentsBeforeCut(path);

    destroy(path, true);

    // Passes of 3, 4, ... 9 blocks, each block a progress step.
    EXPECT_EQ(files.blocksWritten, 3 + 4 + 5 + 6 + 7 + 8 + 9);
    EXPECT_EQ(display.stepPercents.size(), 42u);
    EXPECT_EQ(display.stepPercents.back(), 42);
    EXPECT_EQ(counters.lBytesTotal, 70000);
    ASSERT_EQ(doneAfterEachPass.size(), 7u);
    EXPECT_EQ(doneAfterEachPass[0], 12288);
    EXPECT_EQ(counters.lBytesDone, 96864);
    EXPECT_EQ(contentsBeforeCut.size(), 36864u);
    EXPECT_TRUE(allBytesEqual(contentsBeforeCut, 246));
    EXPECT_EQ(display.percentCaption, "100 %");
    EXPECT_TRUE(display.successVisible);
    EXPECT_EQ(files.flushes, 7);
}

TEST_F(OverwritePasses, EachIntensivePassWritesItsOwnPattern) {
    const std::string path = writeSample(folder.file("muster"), 5000);
    std::vector<unsigned char> patternAfterPass;
    files.afterFlush = [&](int) { patternAfterPass.push_back(readBytes(path).front()); };
    destroy(path, true);
    const std::vector<unsigned char> expected(kIntensivePatterns.begin(), kIntensivePatterns.end());
    EXPECT_EQ(patternAfterPass, expected);
    EXPECT_EQ(files.opens, 1) << "one open for all seven passes";
}

TEST_F(OverwritePasses, IntensiveRunOnEmptyFileWritesOneToSevenBlocks) {
    const std::string path = writeSample(folder.file("leer"), 0);
    captureContentsBeforeCut(path);
    destroy(path, true);
    EXPECT_EQ(files.blocksWritten, 28);
    EXPECT_EQ(contentsBeforeCut.size(), 28672u);
    EXPECT_EQ(counters.lBytesTotal, 0);
}

TEST_F(OverwritePasses, TwoHundredBlocksMakeOneHundredStepsReaching99AtBlock198) {
    const std::string path = writeSample(folder.file("f"), 199 * 4096);
    destroy(path);
    ASSERT_EQ(display.stepPercents.size(), 100u);
    // Step 99 comes before block 198 is written, when 197 blocks are done.
    EXPECT_EQ(display.stepPercents[98], 99);
    EXPECT_EQ(display.bytesDoneAtStep[98], 197 * 4096);
    EXPECT_EQ(display.stepPercents.back(), 99);
}

TEST_F(OverwritePasses, ThousandAndOneBlocksStepEveryTenthBlock) {
    const std::string path = writeSample(folder.file("f"), 4096000);
    destroy(path);
    ASSERT_EQ(display.stepPercents.size(), 100u);
    EXPECT_EQ(display.bytesDoneAtStep[0], 9 * 4096);
    EXPECT_EQ(display.stepPercents[98], 99);
    EXPECT_EQ(display.bytesDoneAtStep[98], 989 * 4096);
    EXPECT_EQ(counters.lBytesDone, 1001 * 4096);
}

TEST_F(OverwritePasses, IntensiveThousandAndOneBlocksStepEverySeventiethBlock) {
    const std::string path = writeSample(folder.file("f"), 4096000);
    destroy(path, true);
    EXPECT_EQ(files.blocksWritten, 7028);
    EXPECT_EQ(display.stepPercents.size(), 100u);
    EXPECT_EQ(display.stepPercents.back(), 99);
    EXPECT_EQ(counters.lBytesTotal, 7 * 4096000);
    EXPECT_EQ(counters.lBytesDone, 6 * 4096000 + 1007 * 4096);
}

// A file's named streams (stood in for by files beside it) get the same passes, and count in the total.
TEST_F(OverwritePasses, NamedStreamsGetTheSamePassesAndCountInTheRunsTotal) {
    for (const bool intensive : {false, true}) {
        InstrumentedFileServices streamed;
        const std::string path = writeSample(folder.file(intensive ? "i.txt" : "n.txt"), 10000);
        streamed.streamFiles = {writeSample(path + ".strom-geheim", 5000), writeSample(path + ".strom-leer", 0)};
        std::vector<std::vector<unsigned char>> streamsBeforeCut;
        streamed.beforeCut = [&] {
            for (const std::string& stream : streamed.streamFiles)
                streamsBeforeCut.push_back(readBytes(stream));
        };
        RecordingDisplay shown;
        ByteCounters counts;
        shown.counters = &counts;
        shown.selectMode(intensive);
        EXPECT_EQ(vesk(CoreContext{shown, shown, streamed, process, clock}, counts, path, shown.modes()),
                  Verdict::Destroyed);

        const int passes = intensive ? 7 : 1;
        const unsigned char last = intensive ? 246 : 0;
        // 3, 2 and 1 blocks in the first pass, one more each in every later one.
        EXPECT_EQ(counts.lBytesTotal, passes * 15000);
        EXPECT_EQ(streamed.blocksWritten, passes * 6 + 3 * passes * (passes - 1) / 2);
        ASSERT_EQ(streamsBeforeCut.size(), 2u);
        EXPECT_EQ(streamsBeforeCut[0], std::vector<unsigned char>((2 + passes - 1) * 4096, last));
        EXPECT_EQ(streamsBeforeCut[1], std::vector<unsigned char>(passes * 4096, last));
        // Every block a step while the pass is small; the counter still never passes 99.
        EXPECT_EQ(shown.stepPercents.size(), static_cast<std::size_t>(streamed.blocksWritten));
        // The last pass counts on from six sevenths of the total, over all three of its targets.
        EXPECT_EQ(counts.lBytesDone, (passes - 1) * 15000 + (6 + 3 * (passes - 1)) * 4096);
        EXPECT_FALSE(entryExists(path));
    }
}

TEST_F(OverwritePasses, NeitherOptionSelectedOpensNothing) {
    const std::string path = writeSample(folder.file("f"), 100);
    display.optionSelected[0] = display.optionSelected[1] = false;
    vesk(context, counters, path, display.modes());
    EXPECT_EQ(display.calls, (std::vector<std::string>{"disable", "enable"}));
    EXPECT_EQ(files.opens, 0);
    EXPECT_EQ(readBytes(path), sampleBytes(100));
}

TEST_F(OverwritePasses, DotFilesAndNamesWithUmlautsAndBlanksAreDestroyed) {
    for (const std::string name : {".versteckt", "Brief an Müller ä ö ü ß.txt", "-r"}) {
        const std::string path = writeSample(folder.file(name), 3000);
        // Wine shows a dot file as hidden and will not clear it: then it must not be called destroyed.
        const bool hiddenForGood = (attributesOf(files, path) & kAttrHidden) != 0;
        display.successVisible = false;
        destroy(path);
        EXPECT_EQ(entryExists(path), hiddenForGood) << name;
        EXPECT_EQ(display.successVisible, !hiddenForGood) << name;
    }
    EXPECT_TRUE(disposalLeftovers(folder.path()).empty());
}

// Counter arithmetic on sizes past every 32-bit limit, on a file that exists only as a length.
struct LargeCase {
    std::int64_t length;
    bool intensive;
};

void PrintTo(const LargeCase& c, std::ostream* out) {
    *out << c.length << (c.intensive ? " intensive" : " normal");
}

class LargeFileCounters : public ::testing::TestWithParam<LargeCase> {};

TEST_P(LargeFileCounters, CountInSixtyFourBitsAndStillStepAboutAHundredTimes) {
    const auto [length, intensive] = GetParam();
    RecordingDisplay display;
    SimulatedFileServices files(length);
    LoneProcess process;
    FakeClock clock;
    ByteCounters counters;
    display.selectMode(intensive);
    vesk(CoreContext{display, display, files, process, clock}, counters, "/sim/gross.iso", display.modes());

    const std::int64_t passes = intensive ? 7 : 1;
    const std::int64_t firstBlocks = length / 4096 + 1;
    const std::int64_t lastBlocks = firstBlocks + passes - 1;
    EXPECT_EQ(counters.lBytesTotal, passes * length);
    EXPECT_EQ(counters.lBytesDone, (passes - 1) * length + lastBlocks * 4096);
    EXPECT_GE(display.stepPercents.size(), 95u);
    EXPECT_LE(display.stepPercents.size(), 150u);
    EXPECT_TRUE(display.successVisible);
    EXPECT_TRUE(std::is_sorted(display.bytesDoneAtStep.begin(), display.bytesDoneAtStep.end()));
}

INSTANTIATE_TEST_SUITE_P(PastThirtyTwoBits, LargeFileCounters,
                         ::testing::Values(LargeCase{5'000'000'000, false}, LargeCase{3'000'000'000, true},
                                           LargeCase{306'783'379, true}),
                         [](const auto& info) {
                             return std::string(info.param.intensive ? "Intensive" : "Normal") +
                                    std::to_string(info.param.length);
                         });

} // namespace
} // namespace kelvanter::testing
