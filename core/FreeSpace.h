#pragma once

#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvanter {

// The fill folders are hidden folders of this name inside the chosen folder, and nowhere else;
// one left by a run that was killed is known by it.
inline constexpr const char* kFillFolderPrefix = ".kelvanter-fuellung-";

// What the free-space window shows and asks during a run.
class FreeSpaceWatcher {
public:
    virtual ~FreeSpaceWatcher() = default;
    virtual void processEvents() = 0;                  // lets the window repaint, tick and be clicked
    virtual void setPercent(std::int32_t percent) = 0; // the percent label and the bar, 1 to 99
    virtual bool cancelRequested() const = 0;
};

// The run's work and progress in bytes, read by the time display.
struct FillCounters {
    std::int64_t total = 0;
    std::int64_t done = 0;
};

enum class FillEnd {
    Done,
    Cancelled,
    Failed,
    Busy,        // another fill runs on the same file system
    NothingFree, // there was no free space this process could write
};

// Whether the fill reached the old names in the file system's log of its own metadata.
enum class NamesInLog {
    NoLog,     // the file system keeps none this program can read or come round
    Reached,   // the log came round once past its size after the last name went
    Unreached, // it has one, but it did not come round
};

struct FillReport {
    FillEnd end = FillEnd::Failed;
    int error = 0;              // why it failed
    std::int64_t written = 0;   // bytes of fill written and flushed
    std::int64_t unreached = 0; // free bytes the fill could not take: the administrator's reserve
    int filesMade = 0;          // fill files made, and deleted again
    int leftoversRemoved = 0;   // fill folders of a killed run, removed first
    StorageFacts storage;       // how the file system and its device keep data
    NamesInLog namesInLog = NamesInLog::NoLog;
    std::int64_t churnLogged = 0;       // bytes its metadata log took while names were churned
    std::int64_t churnMicroseconds = 0; // and how long that took
};

// Removes the fill folders that a run killed midway left in `folder`; how many it removed. A fill
// folder that another run holds is left alone.
int removeLeftoverFills(FillServices& files, const std::string& folder);

// Removes the fill folders that runs killed midway (SIGKILL, a lost display, a power cut) left on
// any file system, as the records in the user's state folder name them, with their records; the
// folders removed. A record whose file system is not there now is kept for a later start.
std::vector<std::string> removeKilledFills(FillServices& files);

// Flushes the file system, fills its free space through files in a hidden folder of its own
// inside `folder` (random bytes that no file system can compress, deduplicate or leave as a
// hole), from large files down to single blocks, each flushed; then deletes them all and flushes
// again. Every ending deletes the fill: done, cancelled or failed.
FillReport overwriteFreeSpace(FillServices& files, Clock& clock, FreeSpaceWatcher& watcher, const std::string& folder,
                              FillCounters& counters);

} // namespace kelvanter
