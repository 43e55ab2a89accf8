#pragma once

#include "core/RunReport.h"

namespace kelvanter {

// Where a destruction stands; each window shows it in its own way.
enum class RunPhase {
    Begun,     // the passes begin: the window takes no input until the run has ended
    Disposing, // the file is being cut, renamed and deleted
    Disposed,  // the disposal is over, whatever became of the file
    Destroyed, // nothing is left of the file, and the overwrite was proven
    Reset,     // the run failed or the file is still there: no progress to show
    Ended,     // the window takes input again
};

// What a long run, a destruction or a fill, tells its window while it works, and asks of it.
class RunProgress {
public:
    virtual ~RunProgress() = default;

    virtual void enterPhase(RunPhase phase) = 0;
    // A progress step: the share of the run done, 0 to 1.
    virtual void advance(double fraction) = 0;
    // Lets the window repaint, tick and be clicked.
    virtual void serve() = 0;
    // Whether the user or a request to end the program asked the run to stop.
    virtual bool cancelAsked() = 0;
};

// The boxes a destruction has to show, as values; the window words them.
class RunReports {
public:
    virtual ~RunReports() = default;
    virtual void report(const RunReport& report) = 0;
};

} // namespace kelvanter
