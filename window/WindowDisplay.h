#pragma once

#include "core/VeskDisplay.h"
#include "window/ProgressPort.h"
#include "window/VeskPort.h"

namespace kelvanter {

// The core's display over a toolkit's main window: what the core does to the window goes to its
// ports, and what the core reports is worded here and shown in the window's box.
class WindowDisplay final : public VeskDisplay {
public:
    WindowDisplay(ProgressPort& progress, VeskPort& port) : progress_(progress), port_(port) {}

    void setWindowEnabled(bool enabled) override { port_.setWindowEnabled(enabled); }
    bool isOptionSelected(int index) const override { return port_.isOptionSelected(index); }
    void setPercentCaption(const std::string& caption) override { progress_.setPercentCaption(caption); }
    void setBarBackground(std::uint32_t lColor) override { progress_.setBarBackground(lColor); }
    void setSuccessLabelVisible(bool visible) override { port_.setSuccessLabelVisible(visible); }
    void processEvents() override { progress_.processEvents(); }
    void setMousePointer(int code) override { progress_.setMousePointer(code); }
    void showProgressBar(std::int32_t lValue, std::uint32_t lColor, double dMaxValue) override {
        progress_.showProgressBar(lValue, lColor, dMaxValue);
    }
    void report(const RunReport& report) override;

private:
    ProgressPort& progress_;
    VeskPort& port_;
};

} // namespace kelvanter
