#include "window/TimeText.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace kelvanter::testing {
namespace {

TEST(FormatTime, WritesEveryFieldWithAtLeastTwoDigits) {
    const std::vector<std::pair<std::int32_t, std::string>> table = {
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

} // namespace
} // namespace kelvanter::testing
