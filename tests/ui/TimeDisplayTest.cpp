#include "TimeText.h"
#include "WindowFixture.h"

#include <QTest>
#include <limits>

namespace kelvanter::testing {
namespace {

TEST(FormatTime, WritesEveryFieldWithAtLeastTwoDigits) {
    const std::vector<std::pair<std::int32_t, QString>> table = {
        {0, "00:00:00"},
        {5, "00:00:05"},
        {59, "00:00:59"},
        {60, "00:01:00"},
        {3599, "00:59:59"},
        {3600, "01:00:00"},
        {86399, "23:59:59"},
        {360000, "100:00:00"},
        {-1, "00:00:-01"},
        {-75, "00:00:-75"},
        {61, "00:01:01"},
        {std::numeric_limits<std::int32_t>::max(), "596523:14:07"},
        {std::numeric_limits<std::int32_t>::min(), "00:00:-2147483648"},
    };
    for (const auto& [seconds, text] : table)
        EXPECT_EQ(FormatTime(seconds), text) << seconds;
}

TEST(EstimatedDuration, DividesThenMultipliesThenSubtractsOneAndRoundsHalvesToEven) {
    EXPECT_EQ(estimatedDuration(10, 250, 1000), 39);
    EXPECT_EQ(estimatedDuration(3, 2, 1), 0);
    EXPECT_EQ(estimatedDuration(3, 2, 3), 4);
    EXPECT_EQ(estimatedDuration(5, 12288, 0), -1);
    EXPECT_EQ(estimatedDuration(1, 0, 1000), std::nullopt);
    EXPECT_EQ(estimatedDuration(1000, 1, std::int64_t{1} << 40), std::nullopt);
    // Counters past 32 bits still give an estimate in range.
    EXPECT_EQ(estimatedDuration(60, 2'500'000'000, 5'000'000'000), 119);
}

using TimeDisplay = WindowFixture;

TEST_F(TimeDisplay, FirstTickShowsOneSecondAndTheEstimateFromTheCounters) {
    window.lSeconds = 0;
    window.counters = {1000, 100};
    window.Timer1_Timer();
    EXPECT_EQ(window.lSeconds, 1);
    EXPECT_EQ(window.Label4->text(), "00:00:01");
    EXPECT_EQ(window.Label5->text(), "00:00:09");
}

TEST_F(TimeDisplay, WithNothingDoneTheEstimateKeepsItsTextWhileTheTimeRuns) {
    window.Label5->setText("00:00:42");
    window.counters = {1000, 0};
    window.Timer1_Timer();
    window.Timer1_Timer();
    EXPECT_EQ(window.Label4->text(), "00:00:02");
    EXPECT_EQ(window.Label5->text(), "00:00:42");
}

TEST_F(TimeDisplay, EmptyFileEstimateShowsMinusOne) {
    window.counters = {0, 4096};
    window.Timer1_Timer();
    EXPECT_EQ(window.Label5->text(), "00:00:-01");
}

TEST_F(TimeDisplay, ARunTicksAndEndsWithBothTimesEqual) {
    // A slow display: each progress step takes a while, so the one-second timer gets to tick.
    const std::string path = writeSample(folder.file("f"), 8 * 4096);
    window.onProcessEvents = [] { QTest::qWait(150); };
    destroyThroughWindow(QString::fromStdString(path));
    EXPECT_GE(window.lSeconds, 1);
    EXPECT_EQ(window.Label4->text(), FormatTime(window.lSeconds));
    expectWindowUsable();
    const QString after = window.Label4->text();
    QTest::qWait(1100);
    EXPECT_EQ(window.Label4->text(), after);
}

} // namespace
} // namespace kelvanter::testing
