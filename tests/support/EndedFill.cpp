#include "support/EndedFill.h"

#include "core/FreeSpace.h"
#include "support/FakeClock.h"
#include "support/InstrumentedFileServices.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvanter::testing {

namespace {

// Cancels when the program is asked to end, as the free-space window does.
class StopWatcher : public FreeSpaceWatcher {
public:
    explicit StopWatcher(FillServices& files) : files_(files) {}
    void processEvents() override {}
    void setPercent(std::int32_t) override {}
    bool cancelRequested() const override { return files_.stopRequested(); }

private:
    FillServices& files_;
};

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
    StopWatcher watcher(files);
    FillCounters counters;
    files.holdStopRequests();
    overwriteFreeSpace(files, clock, watcher, folder, counters);
    files.releaseStopRequests();
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
