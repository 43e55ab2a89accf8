#pragma once

#include "Clock.h"

#include <string>
#include <vector>

namespace kelvanter::testing {

// A clock that stands still and notes in which order it was read.
class FakeClock : public Clock {
public:
    CalendarDay date{7, 12};
    ClockReading time{35, 9};
    std::vector<std::string> reads;

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
