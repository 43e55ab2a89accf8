#pragma once

#include "core/FreeSpace.h"
#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <cstdint>
#include <string>

namespace kelvanter {

struct ChurnReport {
    NamesInLog names = NamesInLog::NoLog;
    std::int64_t logged = 0;       // bytes the file system wrote to its log meanwhile
    std::int64_t microseconds = 0; // how long it took
};

// A file system's log of its own metadata keeps old copies of folder blocks, and the names in
// them, until it comes round. Makes and removes files with long random names in the fill folder,
// in flushed batches, until the log has written more than its own size; bounded, served like the
// fill, and stopped by a cancel. Its files start with `filePrefix`, so the fill's cleanup takes
// whatever a kill leaves of them.
ChurnReport churnMetadataLog(FillServices& files, Clock& clock, FreeSpaceWatcher& watcher, const std::string& fill,
                             const std::string& filePrefix);

} // namespace kelvanter
