#include "platform/posix/PosixClock.h"

#include <chrono>

#include <ctime>

namespace kelvanter {

namespace {

std::tm localNow() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

} // namespace

CalendarDay PosixClock::currentDate() {
    const std::tm parts = localNow();
    return {parts.tm_mday, parts.tm_mon + 1};
}

ClockReading PosixClock::currentTime() {
    const std::tm parts = localNow();
    return {parts.tm_min, parts.tm_sec};
}

std::int64_t PosixClock::monotonicMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace kelvanter
