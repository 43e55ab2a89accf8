#pragma once

#include "platform/Clock.h"

namespace kelvanter {

class PosixClock final : public Clock {
public:
    CalendarDay currentDate() override;
    ClockReading currentTime() override;
    std::int64_t monotonicMicroseconds() override;
};

} // namespace kelvanter
