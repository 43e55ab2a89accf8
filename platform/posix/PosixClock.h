#pragma once

#include "../Clock.h"

namespace kelvanter {

class PosixClock final : public Clock {
public:
    CalendarDay currentDate() override;
    ClockReading currentTime() override;
};

} // namespace kelvanter
