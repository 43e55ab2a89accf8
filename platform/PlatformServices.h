#pragma once

// Picks this platform's file services and clock at compile time.
#if defined(_WIN32)
#error "The Win32 file services are not written yet."
#else
#include "posix/PosixClock.h"
#include "posix/PosixFileServices.h"
namespace kelvanter {
using PlatformFileServices = PosixFileServices;
using PlatformClock = PosixClock;
} // namespace kelvanter
#endif
