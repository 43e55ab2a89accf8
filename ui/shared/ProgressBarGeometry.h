#pragma once

#include <cstdint>
#include <optional>

namespace kelvanter {

// The filled rectangle of the bar, in twips, from (0, 0) to (right, bottom).
struct BarRectangle {
    float right = 0;
    double bottom = 0;
};

// Where a bar for `lValue` out of `dMaxValue` ends in a box of the given outer size (twips).
// Empty when nothing is to be drawn: a value of 0 (after clamping and the remainder rule), or a
// maximum whose nearest integer cannot serve as the divisor of the remainder rule.
std::optional<BarRectangle> progressBarRectangle(std::int32_t lValue, double dMaxValue, double outerWidth,
                                                 double outerHeight);

} // namespace kelvanter
