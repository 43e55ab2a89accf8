#pragma once

#include "platform/FileServices.h"

// The write lease on the run's one file: another program's open breaks it, and the kernel says so
// by a signal of the program's own, never the default SIGIO, which would end the program.
namespace kelvanter::posix {

// Takes the lease on the descriptor; errno where it cannot be had.
SysStatus takeLease(int fd);
// What the lease on that descriptor saw; nothing where none was taken on it.
WriterWatch leaseSeen(int fd);
// Whether a lease was taken on that descriptor at all.
bool isLeased(int fd);
// Lets go of the lease, before the descriptor is closed.
void dropLease(int fd);

} // namespace kelvanter::posix
