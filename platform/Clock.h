#pragma once

#include <cstdint>

namespace kelvanter {

struct CalendarDay {
    int day = 1;
    int month = 1;
};

struct ClockReading {
    int minute = 0;
    int second = 0;
};

// The local date and time, read separately as the temporary name needs them, and a clock that
// only moves forward, for measuring how long things take.
class Clock {
public:
    virtual ~Clock() = default;
    virtual CalendarDay currentDate() = 0;
    virtual ClockReading currentTime() = 0;
    virtual std::int64_t monotonicMicroseconds() = 0;
};

} // namespace kelvanter
