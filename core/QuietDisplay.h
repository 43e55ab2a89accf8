#pragma once

#include "core/RunProgress.h"

namespace kelvanter {

// Progress that shows nothing and reads no box, for destructions the user did not start by hand
// (a file's thumbnails), for fills nobody watches, and for measuring the core on its own.
class QuietDisplay : public RunProgress, public RunReports {
public:
    int steps = 0;

    void enterPhase(RunPhase) override {}
    void advance(double) override { ++steps; }
    void serve() override {}
    bool cancelAsked() override { return false; }
    void report(const RunReport&) override {}
};

} // namespace kelvanter
