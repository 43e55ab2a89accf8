#include "window/RunFrame.h"

#include "window/Palette.h"
#include "window/RunClock.h"

#include <exception>

namespace kelvanter {

std::optional<std::string> runFramed(ProgressPort& progress, ProcessServices& process, std::int32_t& lSeconds,
                                     const std::function<void()>& work) {
    runClock::start(progress, lSeconds);
    progress.setMousePointer(kPointerHourglass);
    // A request to end the program stops the passes, or waits until a disposal or a fill is over or undone.
    process.holdStopRequests();
    std::optional<std::string> failure;
    try {
        work();
    } catch (const std::exception& error) {
        failure = error.what();
    }
    process.releaseStopRequests();
    progress.setMousePointer(kPointerDefault);
    runClock::stop(progress);
    return failure;
}

} // namespace kelvanter
