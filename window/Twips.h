#pragma once

#include <cmath>

namespace kelvanter {

// The windows are designed in twips, 15 to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

inline PixelRect toPixels(const TwipsRect& twips) {
    return {twipsToPixels(twips.left), twipsToPixels(twips.top), twipsToPixels(twips.width),
            twipsToPixels(twips.height)};
}

// Font sizes in points, as pixels at 96 dots per inch (8.25 pt is 11 pixels).
inline int pointsToPixels(double points) {
    return static_cast<int>(std::lround(points * 96.0 / 72.0));
}

} // namespace kelvanter
