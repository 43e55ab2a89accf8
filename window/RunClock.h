#pragma once

#include "window/ProgressPort.h"

#include <cstdint>

// The run's two times, alike in every window: lSeconds counts the timer's ticks, Label4 shows
// them and Label5 the estimate of the whole run.
namespace kelvanter::runClock {

// A run starts: no seconds yet, both times "00:00:00", the timer on.
void start(ProgressPort& port, std::int32_t& lSeconds);
// One tick: a second more, and the estimate from the bytes done so far.
void tick(ProgressPort& port, std::int32_t& lSeconds, std::int64_t lBytesDone, std::int64_t lBytesTotal);
// The run ended: the timer off, and the estimate takes the elapsed time.
void stop(ProgressPort& port);

} // namespace kelvanter::runClock
