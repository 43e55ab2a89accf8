#pragma once

#include "window/ProgressPort.h"
#include "window/VeskPort.h"

#include <cstdint>
#include <string>

// What a window's bar and percent label show of a run, alike in the main and the free-space window.
namespace kelvanter::progressDisplay {

// "42 %": the percent label's text.
std::string percentCaption(std::int32_t percent);
// A progress step: the label and the bar at the share of the run done, 0 to 1.
void showShare(ProgressPort& progress, double fraction);
// The whole box in the bar's colour, and "100 %".
void showFull(ProgressPort& progress);
// The empty box, and "0 %".
void showEmpty(ProgressPort& progress);
// The main window before and after a run that left the file: the empty bar, no success label.
void reset(ProgressPort& progress, VeskPort& port);

} // namespace kelvanter::progressDisplay
