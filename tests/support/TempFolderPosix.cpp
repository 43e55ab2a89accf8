// The temporary folder and inode flags on Linux.
#include "support/TempFolder.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kelvanter::testing {

// A name is bytes here, whether or not they are UTF-8.
std::filesystem::path fsPath(const std::string& bytes) {
    return std::filesystem::path(bytes);
}

std::string utf8Of(const std::filesystem::path& path) {
    return path.string();
}

std::string undecodableCharacter() {
    return "\xE4";
}

TempFolder::TempFolder(const std::string& base) {
    const std::string parent = base.empty() ? std::filesystem::temp_directory_path().string() : base;
    std::string pattern = parent + "/kelvanter-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed in " + parent);
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Undo flags a test left, or the folder could not be removed.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
        if (entry.is_regular_file(ignored) || entry.is_directory(ignored))
            setInodeFlag(entry.path().string(), FS_IMMUTABLE_FL | FS_APPEND_FL, false);
    }
    setInodeFlag(path_.string(), FS_IMMUTABLE_FL | FS_APPEND_FL, false);
    std::filesystem::remove_all(path_, ignored);
}

bool setInodeFlag(const std::string& path, int flag, bool on) {
    // A run's lease on the file refuses a non-blocking open once, and the run lets go of it then.
    int fd = -1;
    for (int tries = 0; tries < 3 && fd < 0; ++tries)
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | flag) : (flags & ~flag);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace kelvanter::testing
