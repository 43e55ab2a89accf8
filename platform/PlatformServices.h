#pragma once

// Picks this platform's file services, process services and clock at compile time.
#if defined(_WIN32)
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileServices.h"
namespace kelvanter {
using PlatformFileServices = Win32FileServices;
using PlatformProcess = Win32Process;
using PlatformClock = Win32Clock;
} // namespace kelvanter
#else
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixFileServices.h"
namespace kelvanter {
using PlatformFileServices = PosixFileServices;
using PlatformProcess = PosixProcess;
using PlatformClock = PosixClock;
} // namespace kelvanter
#endif
