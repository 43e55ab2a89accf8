#pragma once

#include "core/RunProgress.h"
#include "platform/FileServices.h"
#include "window/ProgressPort.h"
#include "window/VeskPort.h"

namespace kelvanter {

// A destruction as the main window shows it: its phases as the window's state, the bar and the
// pointer, its steps as the percent, its reports worded in the window's boxes.
class VeskView final : public RunProgress, public RunReports {
public:
    VeskView(ProgressPort& progress, VeskPort& port, ProcessServices& process)
        : progress_(progress), port_(port), process_(process) {}

    void enterPhase(RunPhase phase) override;
    void advance(double fraction) override;
    void serve() override { progress_.processEvents(); }
    // The window's close waits for the run; a request to end the program stops the passes.
    bool cancelAsked() override { return process_.stopRequested(); }
    void report(const RunReport& report) override;

private:
    ProgressPort& progress_;
    VeskPort& port_;
    ProcessServices& process_;
};

} // namespace kelvanter
