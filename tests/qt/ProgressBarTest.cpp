#include "qt/PictureBox.h"
#include "qt/QtDesign.h"
#include "support/WindowFixture.h"

namespace kelvanter::testing {
namespace {

class ProgressBarPixels : public WindowFixture {
protected:
    // How many columns of the drawing area's middle row show the bar colour.
    int filledColumns() {
        const QImage& image = window.progress().Picture1->surface();
        const QRgb bar = colorFromBgr(kBarColor).rgb();
        int filled = 0;
        while (filled < image.width() && image.pixel(filled, image.height() / 2) == bar)
            ++filled;
        for (int x = filled; x < image.width(); ++x)
            EXPECT_NE(image.pixel(x, image.height() / 2), bar) << "bar not contiguous at " << x;
        return filled;
    }
    void show(std::int32_t value, double maximum = 100.0) {
        window.O_ShowProgressBar(window.progress().Picture1, value, kBarColor, maximum);
    }
};

TEST_F(ProgressBarPixels, BoxIsSixThousandSixHundredTwipsWideAndBarsEndWhereTheTwipsSay) {
    EXPECT_EQ(window.progress().Picture1->outerWidthTwips(), 6600);
    EXPECT_EQ(window.progress().Picture1->outerHeightTwips(), 255);
    // Right edges 16, 3250 and 6484 twips: pixel columns 0..1, 0..217 and 0..432.
    show(1);
    EXPECT_EQ(filledColumns(), 2);
    show(50);
    EXPECT_EQ(filledColumns(), 218);
    show(99);
    EXPECT_EQ(filledColumns(), 433);
}

TEST_F(ProgressBarPixels, BarCoversTheWholeHeightOfTheDrawingArea) {
    show(50);
    const QImage& image = window.progress().Picture1->surface();
    for (int y = 0; y < image.height(); ++y)
        EXPECT_EQ(image.pixel(10, y), colorFromBgr(kBarColor).rgb()) << y;
}

TEST_F(ProgressBarPixels, NegativeAndWrappedValuesDrawNothingAndLargerValuesWrap) {
    show(-5);
    EXPECT_EQ(filledColumns(), 0);
    show(200);
    EXPECT_EQ(filledColumns(), 0);
    show(150);
    EXPECT_EQ(filledColumns(), 218);
}

TEST_F(ProgressBarPixels, ASmallerValueLeavesTheLongerBarAndTheBackgroundErasesIt) {
    show(99);
    show(10);
    EXPECT_EQ(filledColumns(), 433);
    window.progress().setBarBackground(kEmptyBarColor);
    EXPECT_EQ(filledColumns(), 0);
    EXPECT_EQ(window.progress().Picture1->surface().pixel(5, 5), colorFromBgr(kEmptyBarColor).rgb());
}

TEST_F(ProgressBarPixels, MaximumZeroDrawsAsAHundred) {
    show(50, 0);
    EXPECT_EQ(filledColumns(), 218);
}

TEST_F(ProgressBarPixels, TheBarSurvivesARepaint) {
    show(50);
    window.progress().Picture1->repaint();
    const QImage shown = window.progress().Picture1->grab().toImage();
    const int border = PictureBox::kBorderPixels;
    EXPECT_EQ(shown.pixel(border + 100, border + 6), colorFromBgr(kBarColor).rgb());
    EXPECT_EQ(shown.pixel(border + 300, border + 1), colorFromBgr(kEmptyBarColor).rgb());
}

} // namespace
} // namespace kelvanter::testing
