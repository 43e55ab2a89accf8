// What the program asks of Linux about other processes and about its own: whether another one
// holds a file open, where the user's state is kept, and requests to end it while a fill runs.
#include "platform/DiskNames.h"
#include "platform/posix/PosixFileServices.h"
#include "platform/posix/PosixLease.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kelvanter {

namespace {

struct ProcessScan {
    bool held = false;
    bool sawAll = true; // every process's descriptors and mappings could be read
};

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether one of the process's descriptors is the file; nothing where they cannot be read.
std::optional<bool> descriptorHolds(const std::string& pid, const struct stat& file) {
    const std::string fds = "/proc/" + pid + "/fd";
    DIR* descriptors = ::opendir(fds.c_str());
    if (descriptors == nullptr)
        return errno == ENOENT ? std::optional<bool>(false) : std::nullopt;
    bool held = false;
    while (const dirent* fd = ::readdir(descriptors)) {
        struct stat target {};
        if (fd->d_name[0] != '.' && ::stat((fds + "/" + fd->d_name).c_str(), &target) == 0 && sameFile(target, file)) {
            held = true;
            break;
        }
    }
    ::closedir(descriptors);
    return held;
}

// Whether one of the process's mappings is the file (a program may keep one and close its
// descriptor); nothing where they cannot be read.
std::optional<bool> mappingHolds(const std::string& pid, const struct stat& file) {
    std::ifstream maps("/proc/" + pid + "/maps");
    if (!maps)
        return std::nullopt;
    std::string line;
    while (std::getline(maps, line)) {
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        // start-end perms offset major:minor inode path
        if (std::sscanf(line.c_str(), "%*s %*s %*s %x:%x %llu", &major, &minor, &inode) == 3 && inode == file.st_ino &&
            makedev(major, minor) == file.st_dev)
            return true;
    }
    return false;
}

// Every process's descriptors and mappings this one may look at, under /proc.
ProcessScan scanProcesses(const struct stat& file) {
    ProcessScan scan;
    DIR* processes = ::opendir("/proc");
    if (processes == nullptr)
        return {false, false};
    const std::string self = std::to_string(::getpid());
    while (const dirent* process = ::readdir(processes)) {
        const std::string pid = process->d_name;
        if (scan.held || pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
            continue;
        const std::optional<bool> open = descriptorHolds(pid, file);
        const std::optional<bool> mapped = mappingHolds(pid, file);
        scan.held = open.value_or(false) || mapped.value_or(false);
        scan.sawAll = scan.sawAll && open && mapped;
    }
    ::closedir(processes);
    return scan;
}

// The signals that ask the program to end, and whether one came while they were held back.
constexpr int kStopSignals[] = {SIGTERM, SIGHUP, SIGINT};
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void noteStopSignal(int signal) {
    stopSignal = signal;
}

} // namespace

Holders PosixProcess::holdersOf(FileHandle pinned) {
    // The run's own lease still held: no other program has opened the file since it was taken.
    if (posix::isLeased(pinned) && posix::leaseSeen(pinned).held)
        return Holders::None;
    // The kernel grants a write lease only while no other process holds the file open or mapped,
    // whoever it is.
    if (!posix::isLeased(pinned)) {
        if (::fcntl(pinned, F_SETLEASE, F_WRLCK) == 0) {
            ::fcntl(pinned, F_SETLEASE, F_UNLCK);
            return Holders::None;
        }
        if (errno == EAGAIN)
            return Holders::Others;
    }
    // No lease here (not the owner, a file system without leases): the processes' descriptors
    // and mappings, as far as this user may read them.
    struct stat file {};
    if (::fstat(pinned, &file) != 0)
        return Holders::Unknown;
    const ProcessScan scan = scanProcesses(file);
    return scan.held ? Holders::Others : scan.sawAll ? Holders::None : Holders::Unknown;
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

bool PosixProcess::hasFullRights() {
    return ::geteuid() == 0;
}

// The soft limit (often 1024) raised to the hard one; one file held per selected file would
// otherwise end a list of a thousand files in "Too many open files".
std::int64_t PosixProcess::filesOpenAtOnce() {
    constexpr rlim_t kReserve = 128;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 64;
    if (limit.rlim_cur != limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    if (limit.rlim_cur == RLIM_INFINITY)
        return std::int64_t{1} << 20;
    return limit.rlim_cur > 2 * kReserve ? static_cast<std::int64_t>(limit.rlim_cur - kReserve)
                                         : static_cast<std::int64_t>(limit.rlim_cur / 2);
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
