#pragma once

#include "core/FillContext.h"
#include "core/NamesInLog.h"
#include "platform/FileServices.h"

#include <cstdint>
#include <string>

namespace kelvanter {

enum class FillEnd {
    Done,
    Cancelled,
    Failed,
    Busy,        // another fill runs on the same file system
    NothingFree, // there was no free space this process could write
    NoRecord,    // nothing could note the fill for a start after a kill: it was not begun
};

struct FillReport {
    FillEnd end = FillEnd::Failed;
    int error = 0;               // why it failed
    std::int64_t written = 0;    // bytes of fill written and flushed
    std::int64_t unreached = 0;  // free bytes the fill could not take: the administrator's reserve
    int filesMade = 0;           // fill files made, and deleted again
    int recordsTaken = 0;        // empty files made before the data, each in a free record of NTFS's MFT
    bool recordsReached = false; // they took every free record
    int leftoversRemoved = 0;    // fill folders of a killed run, removed first
    StorageFacts storage;        // how the file system and its device keep data
    NamesInLog namesInLog = NamesInLog::NoLog;
    std::int64_t churnLogged = 0;       // bytes its metadata log took while names were churned
    std::int64_t churnMicroseconds = 0; // and how long that took
};

// Flushes the file system, fills its free space through files in a hidden folder of its own
// inside `folder` (random bytes that no file system can compress, deduplicate or leave as a
// hole), from large files down to single blocks, each flushed; then deletes them all and flushes
// again. Every ending deletes the fill: done, cancelled or failed.
FillReport overwriteFreeSpace(const FillContext& context, const std::string& folder);

} // namespace kelvanter
