#include "platform/win32/Win32Clock.h"

#include <chrono>

#include <windows.h>

namespace kelvanter {

CalendarDay Win32Clock::currentDate() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wDay, now.wMonth};
}

ClockReading Win32Clock::currentTime() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wMinute, now.wSecond};
}

std::int64_t Win32Clock::monotonicMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace kelvanter
