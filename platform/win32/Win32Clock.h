#pragma once

#include "platform/Clock.h"

namespace kelvanter {

// The local date and time from GetLocalTime.
class Win32Clock final : public Clock {
public:
    CalendarDay currentDate() override;
    ClockReading currentTime() override;
    std::int64_t monotonicMicroseconds() override;
};

} // namespace kelvanter
