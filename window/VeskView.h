#pragma once

#include "core/RunProgress.h"
#include "window/ProgressPort.h"
#include "window/VeskPort.h"

namespace kelvanter {

// A destruction as the main window shows it: its phases as the window's state, the bar and the
// pointer, its steps as the percent, its reports worded in the window's boxes.
class VeskView final : public RunProgress, public RunReports {
public:
    VeskView(ProgressPort& progress, VeskPort& port) : progress_(progress), port_(port) {}

    void enterPhase(RunPhase phase) override;
    void advance(double fraction) override;
    void serve() override { progress_.processEvents(); }
    // The window's close waits for the run; it asks for no cancel.
    bool cancelAsked() override { return false; }
    void report(const RunReport& report) override;

private:
    ProgressPort& progress_;
    VeskPort& port_;
};

} // namespace kelvanter
