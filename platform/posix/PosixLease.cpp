#include "platform/posix/PosixLease.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>

namespace kelvanter::posix {

namespace {

// One file is run at a time: its descriptor and what broke its lease, as the handler saw it.
volatile std::sig_atomic_t leasedFd = -1;
volatile std::sig_atomic_t leaseHeld = 0;
volatile std::sig_atomic_t writerCame = 0;
volatile std::sig_atomic_t readerCame = 0;

int leaseSignal() {
    return SIGRTMIN + 3;
}

// A break is released at once, so that the other program need not wait the kernel's 45 seconds;
// what it wanted is noted. While a break is on, F_GETLEASE tells the type the breaker leaves room for.
extern "C" void leaseBroken(int, siginfo_t* info, void*) {
    const int fd = leasedFd;
    if (fd < 0 || info == nullptr || info->si_fd != fd)
        return;
    const int saved = errno;
    if (::fcntl(fd, F_GETLEASE) == F_RDLCK)
        readerCame = 1;
    else
        writerCame = 1;
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
    leaseHeld = 0;
    errno = saved;
}

bool handlerInstalled() {
    struct sigaction noting {};
    noting.sa_sigaction = leaseBroken;
    noting.sa_flags = SA_SIGINFO | SA_RESTART;
    ::sigemptyset(&noting.sa_mask);
    return ::sigaction(leaseSignal(), &noting, nullptr) == 0;
}

} // namespace

SysStatus takeLease(int fd) {
    static const bool installed = handlerInstalled();
    if (!installed)
        return {EOPNOTSUPP};
    if (::fcntl(fd, F_SETSIG, leaseSignal()) != 0)
        return {errno};
    writerCame = 0;
    readerCame = 0;
    leasedFd = fd;
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
        const int error = errno;
        leasedFd = -1;
        return {error};
    }
    leaseHeld = 1;
    return {};
}

bool isLeased(int fd) {
    return fd >= 0 && leasedFd == fd;
}

WriterWatch leaseSeen(int fd) {
    if (!isLeased(fd))
        return {};
    return {leaseHeld != 0, writerCame != 0, readerCame != 0};
}

void dropLease(int fd) {
    if (!isLeased(fd))
        return;
    leasedFd = -1;
    if (leaseHeld != 0)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    leaseHeld = 0;
}

} // namespace kelvanter::posix
