#include "window/ProgressBarGeometry.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kelvanter::testing {
namespace {

TEST(ProgressBarGeometry, RightEdgeStopsFiftyTwipsShortOfTheProportionalPosition) {
    struct Case {
        std::int32_t value;
        double maximum;
        float right;
    };
    for (const Case c : {Case{1, 100, 16}, Case{50, 100, 3250}, Case{99, 100, 6484}, Case{100, 100, 6550},
                         Case{150, 100, 3250}, Case{50, 0, 3250}, Case{7, 1000, -4}}) {
        const auto bar = progressBarRectangle(c.value, c.maximum, 6600, 255);
        ASSERT_TRUE(bar.has_value()) << c.value;
        EXPECT_EQ(bar->right, c.right) << c.value << " of " << c.maximum;
        EXPECT_EQ(bar->bottom, 255);
    }
}

TEST(ProgressBarGeometry, NothingIsDrawnForZeroNegativeOrWrappedToZeroValues) {
    EXPECT_FALSE(progressBarRectangle(0, 100, 6600, 255));
    EXPECT_FALSE(progressBarRectangle(-5, 100, 6600, 255));
    EXPECT_FALSE(progressBarRectangle(200, 100, 6600, 255));
    // A maximum that rounds to 0 cannot wrap a value past 100.
    EXPECT_FALSE(progressBarRectangle(150, 0.3, 6600, 255));
    EXPECT_TRUE(progressBarRectangle(50, 0.3, 6600, 255));
}

// A picture box that notes what it is asked to do.
struct NotingBox {
    std::vector<std::string> calls;
    double outerWidthTwips() const { return 6600; }
    double outerHeightTwips() const { return 255; }
    void fillRectTwips(double left, double top, double right, double bottom, std::uint32_t color) {
        calls.push_back("fill " + std::to_string(static_cast<int>(left)) + " " + std::to_string(static_cast<int>(top)) +
                        " " + std::to_string(static_cast<int>(right)) + " " + std::to_string(static_cast<int>(bottom)) +
                        " " + std::to_string(color));
    }
    void repaint() { calls.push_back("repaint"); }
};

TEST(ProgressBarGeometry, DrawingFillsFromTheLeftEdgeThenRepaintsOrOnlyRepaints) {
    NotingBox box;
    drawProgressBar(box, 50, 49344, 100);
    drawProgressBar(box, -5, 49344, 100);
    EXPECT_EQ(box.calls, (std::vector<std::string>{"fill 0 0 3250 255 49344", "repaint", "repaint"}));
}

} // namespace
} // namespace kelvanter::testing
