#include "window/RunClock.h"

#include "window/TimeText.h"

#include <limits>

namespace kelvanter::runClock {

namespace {

constexpr const char* kZeroTime = "00:00:00";

} // namespace

void start(ProgressPort& port, std::int32_t& lSeconds) {
    lSeconds = 0;
    port.setElapsedCaption(kZeroTime);
    port.setEstimateCaption(kZeroTime);
    port.setTimerRunning(true);
}

void tick(ProgressPort& port, std::int32_t& lSeconds, std::int64_t lBytesDone, std::int64_t lBytesTotal) {
    if (lSeconds < std::numeric_limits<std::int32_t>::max())
        ++lSeconds;
    port.setElapsedCaption(FormatTime(lSeconds));
    if (const auto estimate = estimatedDuration(lSeconds, lBytesDone, lBytesTotal))
        port.setEstimateCaption(FormatTime(*estimate));
}

void stop(ProgressPort& port) {
    port.setTimerRunning(false);
    port.setEstimateCaption(port.elapsedCaption());
}

} // namespace kelvanter::runClock
