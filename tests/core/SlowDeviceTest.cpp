// A device of a given speed, simulated: the clock moves on as blocks are written. The window must
// be served every 100 ms however slow the device, the progress steps must stay where they were,
// and the one-second tick must count real seconds.
#include "core/ServingPace.h"
#include "core/TransferPace.h"
#include "support/CoreFixture.h"
#include "support/SimulatedSpeed.h"

#include <algorithm>
#include <numeric>

namespace kelvanter::testing {
namespace {

struct SpeedCase {
    const char* name;
    std::int64_t bytesPerSecond;
    std::int64_t fileLength;
    bool intensive;
};

void PrintTo(const SpeedCase& c, std::ostream* out) {
    *out << c.name;
}

class SlowDevice : public ::testing::TestWithParam<SpeedCase> {
protected:
    // What the display sees, with the servings between the progress steps left out.
    static std::vector<std::string> withoutServings(const std::vector<std::string>& calls) {
        std::vector<std::string> kept;
        for (std::size_t i = 0; i < calls.size(); ++i) {
            // A progress step is "events" followed by its percent; a serving has none.
            const bool serving =
                calls[i] == "events" && (i + 1 == calls.size() || calls[i + 1].rfind("percent", 0) != 0);
            if (!serving)
                kept.push_back(calls[i]);
        }
        return kept;
    }

    // The run on an instant device: where the steps fall when time plays no part.
    RecordingDisplay reference(const std::string& path, bool intensive) {
        RecordingDisplay shown;
        shown.selectMode(intensive);
        InstrumentedFileServices instant;
        FakeClock still;
        ByteCounters counts;
        shown.counters = &counts;
        writeSample(path, static_cast<std::size_t>(GetParam().fileLength));
        vesk(CoreContext{shown, shown, instant, process, still}, counts, path, shown.modes());
        return shown;
    }

    TempFolder folder;
    PlatformProcess process;
};

TEST_P(SlowDevice, ServesTheWindowEveryHundredMillisecondsAndKeepsTheStepsWhereTheyWere) {
    const SpeedCase& c = GetParam();
    const RecordingDisplay instant = reference(folder.file("sofort"), c.intensive);

    FakeClock clock;
    SimulatedSpeed files(clock, c.bytesPerSecond);
    RecordingDisplay shown;
    shown.selectMode(c.intensive);
    ByteCounters counters;
    shown.counters = &counters;
    std::vector<std::int64_t> servedAt = {0};
    shown.onProcessEvents = [&] { servedAt.push_back(clock.microseconds); };
    const std::string path = writeSample(folder.file("langsam"), static_cast<std::size_t>(c.fileLength));
    vesk(CoreContext{shown, shown, files, process, clock}, counters, path, shown.modes());

    EXPECT_TRUE(shown.successVisible);
    std::int64_t longestGap = 0;
    for (std::size_t i = 1; i < servedAt.size(); ++i)
        longestGap = std::max(longestGap, servedAt[i] - servedAt[i - 1]);
    EXPECT_LE(longestGap, kServeEveryMicroseconds) << c.name;
    EXPECT_EQ(withoutServings(shown.calls), instant.calls) << "the percent and the bar move only at the steps";
    EXPECT_EQ(shown.bytesDoneAtStep, instant.bytesDoneAtStep);
    const auto largest = *std::max_element(files.batches.begin(), files.batches.end());
    EXPECT_LE(largest * 4096 * 1'000'000 / c.bytesPerSecond, TransferPace::kTargetCallMicroseconds * 2)
        << "no call keeps the device busy much past 50 ms";
    // The read-back after the last pass: every block the pass wrote, in reads paced as the writes.
    const auto lastPass = (c.fileLength / 4096 + (c.intensive ? 7 : 1)) * 4096;
    EXPECT_EQ(std::accumulate(files.reads.begin(), files.reads.end(), std::int64_t{0}), lastPass);
    const auto largestRead = static_cast<std::int64_t>(*std::max_element(files.reads.begin(), files.reads.end()));
    EXPECT_LE(largestRead * 1'000'000 / c.bytesPerSecond, TransferPace::kTargetCallMicroseconds * 2);
}

// A device whose read of each window outlasts the writing of the next by 400 ms: the pass waits
// for it, and the window is served meanwhile.
class LaggingReads : public InstrumentedFileServices {
public:
    explicit LaggingReads(FakeClock& clock) : clock_(clock) { media = MediaKind::Unknown; }
    int windowsRead = 0;

    DeviceRead startDeviceRead(FileHandle handle, std::int64_t offset, void* buffer, std::size_t size) override {
        DeviceRead read = InstrumentedFileServices::startDeviceRead(handle, offset, buffer, size);
        read.inFlight = std::make_shared<int>(0);
        lagLeft_ = 400'000;
        ++windowsRead;
        return read;
    }
    bool waitForDeviceRead(DeviceRead&, std::int64_t microseconds) override {
        const std::int64_t waited = std::min(microseconds, lagLeft_);
        clock_.microseconds += waited;
        lagLeft_ -= waited;
        return lagLeft_ == 0;
    }
    SysResult<std::int64_t> awaitDeviceRead(DeviceRead& read) override {
        read.inFlight.reset();
        return read.result;
    }

private:
    FakeClock& clock_;
    std::int64_t lagLeft_ = 0;
};

TEST(SlowWindowReads, AWindowsReadThatOutlastsTheNextWindowKeepsTheWindowServed) {
    TempFolder folder;
    PlatformProcess process;
    FakeClock clock;
    LaggingReads files(clock);
    RecordingDisplay shown;
    ByteCounters counters;
    std::vector<std::int64_t> servedAt = {0};
    shown.onProcessEvents = [&] { servedAt.push_back(clock.microseconds); };
    const std::string path = writeSample(folder.file("f"), 20 << 20);
    auto target = DestructionTarget::lookUp(files, process, path);
    ASSERT_TRUE(target.has_value());
    if (!doubtsFrom(target->storage).empty())
        GTEST_SKIP() << "the temporary folder's file system cannot be proven here";
    vesk(CoreContext{shown, shown, files, process, clock}, counters, std::move(*target), shown.modes());
    EXPECT_TRUE(shown.successVisible);
    ASSERT_GE(files.windowsRead, 2) << "the premise: windows read beside the pass";
    std::int64_t longestGap = 0;
    for (std::size_t i = 1; i < servedAt.size(); ++i)
        longestGap = std::max(longestGap, servedAt[i] - servedAt[i - 1]);
    EXPECT_LE(longestGap, kServeEveryMicroseconds);
}

INSTANTIATE_TEST_SUITE_P(Speeds, SlowDevice,
                         ::testing::Values(SpeedCase{"UsbStickAtOneMiBPerSecond", 1 << 20, 16 << 20, false},
                                           SpeedCase{"At64KiBPerSecond", 64 << 10, 1536 << 10, false},
                                           SpeedCase{"IntensiveAtOneMiBPerSecond", 1 << 20, 4 << 20, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TransferPace, GrowsOnAFastDeviceAndShrinksOnASlowOne) {
    struct Case {
        const char* device;
        std::int64_t bytesPerSecond;
        std::int64_t settlesAt;
    };
    for (const Case& c : {Case{"disk at 2 GiB/s", std::int64_t{2} << 30, TransferPace::kLargestBatch},
                          Case{"USB stick at 1 MiB/s", 1 << 20, 12}, Case{"at 40 KiB/s", 40 << 10, 1}}) {
        TransferPace pace;
        for (int call = 0; call < 20; ++call)
            pace.record(pace.blocks(), pace.blocks() * 4096 * 1'000'000 / c.bytesPerSecond);
        EXPECT_EQ(pace.blocks(), c.settlesAt) << c.device;
    }
    TransferPace pace;
    pace.record(1, 1);
    pace.record(2, 1);
    pace.record(4, 1);
    EXPECT_EQ(pace.blocks(), 8) << "a quick call at most doubles the next";
    pace.record(16, 4'000'000);
    EXPECT_EQ(pace.blocks(), 1) << "a slow call cuts the next at once";
}

} // namespace
} // namespace kelvanter::testing
