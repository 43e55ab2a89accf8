#include "Win32Clock.h"

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

} // namespace kelvanter
