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

namespace kelvanter {

// O_ShowProgressBar on any toolkit's picture box, which measures its outer size and takes its
// rectangles in twips, and repaints on request.
template <typename PictureBox>
void drawProgressBar(PictureBox& box, std::int32_t lValue, std::uint32_t lColor, double dMaxValue) {
    const auto bar = progressBarRectangle(lValue, dMaxValue, box.outerWidthTwips(), box.outerHeightTwips());
    if (bar)
        box.fillRectTwips(0, 0, bar->right, bar->bottom, lColor);
    box.repaint();
}

} // namespace kelvanter
