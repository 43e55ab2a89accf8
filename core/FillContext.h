#pragma once

#include "core/RunProgress.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <cstdint>

namespace kelvanter {

// The fill's work and progress in bytes, read by the time display.
struct FillCounters {
    std::int64_t total = 0;
    std::int64_t done = 0;
};

// What one fill of the free space works with: the window's progress, the file system, the
// process's own services (its state folder) and the clock, and the counters it keeps.
struct FillContext {
    RunProgress& progress;
    FillServices& files;
    ProcessServices& process;
    Clock& clock;
    FillCounters& counters;
};

} // namespace kelvanter
