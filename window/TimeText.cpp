#include "window/TimeText.h"

#include <cmath>
#include <limits>

namespace kelvanter {

namespace {

// At least two digits; a negative number gets its sign before the padded digits.
std::string field(std::int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < 2)
        digits.insert(0, 2 - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

} // namespace

std::string FormatTime(std::int32_t t) {
    std::int64_t hours = 0;
    std::int64_t minutes = 0;
    std::int64_t seconds = t;
    if (t >= 60) {
        seconds = t % 60;
        minutes = t / 60;
        if (minutes > 59) {
            hours = minutes / 60;
            minutes %= 60;
        }
    }
    return field(hours) + ":" + field(minutes) + ":" + field(seconds);
}

std::optional<std::int32_t> estimatedDuration(std::int32_t lSeconds, std::int64_t lBytesDone,
                                              std::int64_t lBytesTotal) {
    if (lBytesDone == 0)
        return std::nullopt;
    const double estimate =
        static_cast<double>(lSeconds) / static_cast<double>(lBytesDone) * static_cast<double>(lBytesTotal) - 1.0;
    const double rounded = std::nearbyint(estimate);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

} // namespace kelvanter
