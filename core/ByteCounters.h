#pragma once

#include <cstdint>

namespace kelvanter {

// The run's work and progress in bytes, read by the time display.
// 64 bits wide, so files of any size count correctly; neither is cleared between runs.
struct ByteCounters {
    std::int64_t lBytesTotal = 0;
    std::int64_t lBytesDone = 0;
};

} // namespace kelvanter
