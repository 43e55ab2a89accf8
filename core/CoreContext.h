#pragma once

#include "core/RunProgress.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

namespace kelvanter {

// What one destruction works with: the window's progress and boxes, the file system, the
// process's own services (who else holds the file) and the clock.
struct CoreContext {
    RunProgress& progress;
    RunReports& reports;
    DestructionServices& files;
    ProcessServices& process;
    Clock& clock;
};

} // namespace kelvanter
