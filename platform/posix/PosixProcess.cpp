// What the program asks of Linux about other processes and about its own: whether another one
// holds a file open, where the user's state is kept, and requests to end it while a fill runs.
#include "platform/DiskNames.h"
#include "platform/posix/PosixFileServices.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvanter {

namespace {

// Whether a process other than this one has a descriptor open on the file: every process's
// descriptors this one may look at, under /proc.
bool anotherProcessHolds(const struct stat& file) {
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr)
        return false;
    const std::string self = std::to_string(::getpid());
    bool held = false;
    while (const dirent* process = ::readdir(processes)) {
        const std::string pid = process->d_name;
        if (held || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
            continue;
        const std::string fds = "/proc/" + pid + "/fd";
        DIR* descriptors = ::opendir(fds.c_str());
        if (descriptors == nullptr)
            continue;
        while (const dirent* fd = ::readdir(descriptors)) {
            struct stat target {};
            if (fd->d_name[0] != '.' && ::stat((fds + "/" + fd->d_name).c_str(), &target) == 0 &&
                target.st_dev == file.st_dev && target.st_ino == file.st_ino) {
                held = true;
                break;
            }
        }
        ::closedir(descriptors);
    }
    ::closedir(processes);
    return held;
}

// The signals that ask the program to end, and whether one came while they were held back.
constexpr int kStopSignals[] = {SIGTERM, SIGHUP, SIGINT};
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void noteStopSignal(int signal) {
    stopSignal = signal;
}

} // namespace

bool PosixProcess::isOpenElsewhere(FileHandle pinned) {
    // A write lease is granted only while no other descriptor of the file is open anywhere.
    if (::fcntl(pinned, F_SETLEASE, F_WRLCK) == 0) {
        ::fcntl(pinned, F_SETLEASE, F_UNLCK);
        return false;
    }
    if (errno == EAGAIN)
        return true;
    // No lease here (not the owner, a file system without leases): the processes' descriptors.
    struct stat file {};
    return ::fstat(pinned, &file) == 0 && anotherProcessHolds(file);
}

SysResult<std::string> PosixProcess::stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    const char* home = std::getenv("HOME");
    std::string base;
    if (state != nullptr && state[0] == '/')
        base = state;
    else if (home != nullptr && home[0] == '/')
        base = std::string(home) + "/.local/state";
    else
        return {{}, ENOENT};
    // Every folder on the way, as the XDG rules want them: the user's alone where they are new.
    std::string made;
    for (std::size_t at = 1; at != std::string::npos;) {
        at = base.find('/', at + 1);
        made = base.substr(0, at);
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return {{}, errno};
    }
    const std::string folder = base + "/" + diskNames::kStateFolder;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {{}, errno};
    return {folder, 0};
}

void PosixProcess::holdStopRequests() {
    stopSignal = 0;
    struct sigaction noting {};
    noting.sa_handler = noteStopSignal;
    ::sigemptyset(&noting.sa_mask);
    for (const int signal : kStopSignals)
        ::sigaction(signal, &noting, nullptr);
}

bool PosixProcess::stopRequested() {
    return stopSignal != 0;
}

void PosixProcess::releaseStopRequests() {
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigemptyset(&standard.sa_mask);
    for (const int signal : kStopSignals)
        ::sigaction(signal, &standard, nullptr);
    // The request was only held back: now that the fill is gone, the program ends as asked.
    if (stopSignal != 0)
        ::raise(stopSignal);
}

} // namespace kelvanter
