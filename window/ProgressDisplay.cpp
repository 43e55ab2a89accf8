#include "window/ProgressDisplay.h"

#include "window/Palette.h"

#include <cmath>

namespace kelvanter::progressDisplay {

namespace {

constexpr double kBarMaximum = 100.0;

} // namespace

std::string percentCaption(std::int32_t percent) {
    return std::to_string(percent) + " %";
}

void showShare(ProgressPort& progress, double fraction) {
    const auto percent = static_cast<std::int32_t>(std::lround(fraction * kBarMaximum));
    progress.setPercentCaption(percentCaption(percent));
    progress.showProgressBar(percent, kBarColor, kBarMaximum);
}

void showFull(ProgressPort& progress) {
    progress.setBarBackground(kBarColor);
    progress.setPercentCaption(percentCaption(100));
}

void showEmpty(ProgressPort& progress) {
    progress.setBarBackground(kEmptyBarColor);
    progress.setPercentCaption(percentCaption(0));
}

void reset(ProgressPort& progress, VeskPort& port) {
    showEmpty(progress);
    port.setSuccessLabelVisible(false);
}

} // namespace kelvanter::progressDisplay
