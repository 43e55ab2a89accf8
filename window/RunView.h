#pragma once

#include "core/ByteCounters.h"
#include "core/RunProgress.h"
#include "platform/FileServices.h"
#include "window/ProgressPort.h"
#include "window/VeskPort.h"

#include <cstdint>
#include <vector>

namespace kelvanter {

// A destruction as the main window shows it, for one file and for many: the bar, the percent and
// the estimate over all the run's bytes, each file's steps in its share. One file given shows its
// phases as the window's state and its reports as boxes at once; a list keeps each file's reports
// for the account, and its end is shown once, after the last file.
class RunView final : public RunProgress, public RunReports {
public:
    // `overall`: the counters the time display reads.
    RunView(ProgressPort& progress, VeskPort& port, ProcessServices& process, ByteCounters& overall,
            bool oneFile = true)
        : progress_(progress), port_(port), process_(process), overall_(overall), oneFile_(oneFile) {}

    // The run's work: the files' weights on the bar, their passes, and their bytes.
    void plan(std::int64_t weights, std::int64_t passes, std::int64_t bytes);
    // A file's turn begins; its reports so far are forgotten.
    void beginFile(std::int64_t weight, std::int64_t size);
    // The file's share of the bar is over, whatever became of it.
    void endFile();
    // A file that is not run: its share of the bar passes, and its bytes leave the estimate.
    void skipFile(std::int64_t weight, std::int64_t size);
    // The counters the core keeps for the file at hand.
    ByteCounters& fileCounters() { return oneFile_ ? overall_ : file_; }
    // The file's reports, shown already where one file was given.
    const std::vector<RunReport>& reports() const { return reports_; }

    void enterPhase(RunPhase phase) override;
    void advance(double fraction) override;
    void serve() override;
    // The window's close waits for the run; a request to end the program stops the passes.
    bool cancelAsked() override { return process_.stopRequested(); }
    void report(const RunReport& report) override;

private:
    void countBytes();

    ProgressPort& progress_;
    VeskPort& port_;
    ProcessServices& process_;
    ByteCounters& overall_;
    bool oneFile_;
    ByteCounters file_;
    std::vector<RunReport> reports_;
    std::int64_t weights_ = 1;
    std::int64_t passes_ = 1;
    std::int64_t bytesLeft_ = 0;
    std::int64_t weightBefore_ = 0;
    std::int64_t weight_ = 1;
    std::int64_t bytesBefore_ = 0;
};

} // namespace kelvanter
