#include "TempFolder.h"

#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kelvanter::testing {

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

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> sampleBytes(std::size_t size) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(1 + i % 200);
    return bytes;
}

std::string writeSample(const std::string& path, std::size_t size) {
    writeBytes(path, sampleBytes(size));
    return path;
}

bool entryExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::symlink_status(path, ignored).type() != std::filesystem::file_type::not_found;
}

std::vector<std::string> leftoverDelFiles(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".del")
            found.push_back(entry.path().filename().string());
    }
    return found;
}

bool allBytesEqual(const std::vector<unsigned char>& bytes, unsigned char value) {
    return std::all_of(bytes.begin(), bytes.end(), [value](unsigned char b) { return b == value; });
}

bool setInodeFlag(const std::string& path, int flag, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
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
