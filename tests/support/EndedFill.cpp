#include "support/EndedFill.h"

#include "core/FreeSpace.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"
#include "support/WatchedFill.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanter::testing {

namespace {

[[noreturn]] void fillUntilEnded(const std::string& folder, std::int64_t bytes, int ready) {
    InstrumentedFileServices files;
    files.afterDataWrite = [&](std::int64_t written) {
        if (written > bytes && ready >= 0) {
            const bool told = ::write(ready, "!", 1) == 1;
            ::close(ready);
            ready = told ? -1 : -2;
        }
    };
    FakeClock clock;
    PlatformProcess process;
    WatchedFill watcher;
    watcher.stops = &process;
    FillCounters counters;
    process.holdStopRequests();
    overwriteFreeSpace(FillContext{watcher, files, process, clock, counters}, folder);
    process.releaseStopRequests();
    ::_exit(0);
}

} // namespace

int fillEndedBy(int signal, const std::string& folder, std::int64_t bytes) {
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        fillUntilEnded(folder, bytes, ready[1]);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool reached = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    if (reached)
        ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    return reached ? status : -1;
}

} // namespace kelvanter::testing
