#include "window/ProgressBarGeometry.h"

#include <cmath>
#include <limits>

namespace kelvanter {

namespace {

// The remainder rule's divisor: the maximum rounded to the nearest integer, a half to even.
std::optional<std::int32_t> remainderDivisor(double dMaxValue) {
    const double rounded = std::nearbyint(dMaxValue);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    const auto divisor = static_cast<std::int32_t>(rounded);
    if (divisor == 0)
        return std::nullopt;
    return divisor;
}

} // namespace

std::optional<BarRectangle> progressBarRectangle(std::int32_t lValue, double dMaxValue, double outerWidth,
                                                 double outerHeight) {
    if (dMaxValue == 0.0)
        dMaxValue = 100.0;
    if (lValue < 0)
        lValue = 0;
    // Values past 100 wrap round the maximum, whatever the maximum is.
    if (lValue > 100) {
        const auto divisor = remainderDivisor(dMaxValue);
        if (!divisor)
            return std::nullopt;
        lValue %= *divisor;
    }
    if (lValue == 0)
        return std::nullopt;
    const double scale = outerWidth / dMaxValue;
    // The bar stops 50 twips short of its proportional end.
    const auto right = static_cast<float>(std::floor(lValue * scale) - 50.0);
    return BarRectangle{right, outerHeight};
}

} // namespace kelvanter
