#pragma once

namespace kelvanter::win32 {

// The errno that the core understands for a Win32 error code (GetLastError).
int errnoFor(unsigned long error);

// errnoFor(GetLastError()).
int lastErrno();

} // namespace kelvanter::win32
