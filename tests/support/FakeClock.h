#pragma once

#include "platform/Clock.h"

#include <string>
#include <vector>

namespace kelvanter::testing {

// A clock that stands still unless a test moves it, and notes in which order it was read.
class FakeClock : public Clock {
public:
    CalendarDay date{7, 12};
    ClockReading time{35, 9};
    std::int64_t microseconds = 0;
    std::vector<std::string> reads;

    std::int64_t monotonicMicroseconds() override { return microseconds; }

    CalendarDay currentDate() override {
        reads.push_back("date");
        return date;
    }
    ClockReading currentTime() override {
        reads.push_back("time");
        return time;
    }
};

} // namespace kelvanter::testing
