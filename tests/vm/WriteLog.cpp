#include "WriteLog.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kelvanter::testing {

namespace {

// The on-disk layout, little-endian, as the kernel's dm-log-writes documents it.
constexpr std::uint64_t kLogMagic = 0x6a736677736872;
constexpr std::uint64_t kLogVersion = 1;
constexpr std::uint64_t kFlush = 1 << 0;
constexpr std::uint64_t kFua = 1 << 1;
constexpr std::uint64_t kDiscard = 1 << 2;
constexpr std::uint64_t kMark = 1 << 3;

struct SuperBlock {
    std::uint64_t magic;
    std::uint64_t version;
    std::uint64_t entries;
    std::uint32_t sectorSize;
};

struct EntryHeader {
    std::uint64_t sector;
    std::uint64_t sectors;
    std::uint64_t flags;
    std::uint64_t dataLength;
};

class Descriptor {
public:
    Descriptor(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC)) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool readAt(int fd, void* buffer, std::size_t size, std::int64_t offset) {
    return ::pread(fd, buffer, size, offset) == static_cast<ssize_t>(size);
}

} // namespace

bool WriteLog::Entry::durable() const {
    return (flags & (kFlush | kFua)) != 0;
}

bool WriteLog::Entry::isMark() const {
    return (flags & kMark) != 0;
}

std::optional<WriteLog> WriteLog::read(const std::string& logPath) {
    const Descriptor log(logPath, O_RDONLY);
    SuperBlock super{};
    if (log.get() < 0 || !readAt(log.get(), &super, sizeof super, 0) || super.magic != kLogMagic ||
        super.version != kLogVersion || super.sectorSize < sizeof(EntryHeader))
        return std::nullopt;
    WriteLog parsed;
    parsed.logPath_ = logPath;
    parsed.sectorSize_ = super.sectorSize;
    std::vector<char> sector(super.sectorSize);
    // The entries follow the super block, each a sector of its own, then the sectors it wrote.
    std::int64_t at = parsed.sectorSize_;
    for (std::uint64_t index = 0; index < super.entries; ++index) {
        if (!readAt(log.get(), sector.data(), sector.size(), at))
            return std::nullopt;
        EntryHeader header{};
        std::memcpy(&header, sector.data(), sizeof header);
        Entry entry;
        entry.sector = static_cast<std::int64_t>(header.sector);
        entry.sectors = static_cast<std::int64_t>(header.sectors);
        entry.flags = header.flags;
        entry.dataAt = at + parsed.sectorSize_;
        if (entry.isMark())
            entry.mark.assign(sector.data() + sizeof header,
                              std::min<std::size_t>(header.dataLength, sector.size() - sizeof header));
        at = entry.dataAt + ((header.flags & kDiscard) != 0 ? 0 : entry.sectors * parsed.sectorSize_);
        parsed.entries_.push_back(std::move(entry));
    }
    return parsed;
}

std::size_t WriteLog::markAt(const std::string& text) const {
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        if (entries_[index].isMark() && entries_[index].mark == text)
            return index;
    }
    return entries_.size();
}

bool WriteLog::replay(const std::string& image, std::size_t from, std::size_t to) const {
    const Descriptor log(logPath_, O_RDONLY);
    const Descriptor target(image, O_WRONLY);
    if (log.get() < 0 || target.get() < 0)
        return false;
    std::vector<char> bytes;
    for (std::size_t index = from; index < to && index < entries_.size(); ++index) {
        const Entry& entry = entries_[index];
        if (entry.sectors == 0 || entry.isMark())
            continue;
        bytes.assign(static_cast<std::size_t>(entry.sectors * sectorSize_), 0);
        // A discarded range reads as zeros afterwards, as the loop device gives it back.
        if ((entry.flags & kDiscard) == 0 && !readAt(log.get(), bytes.data(), bytes.size(), entry.dataAt))
            return false;
        if (::pwrite(target.get(), bytes.data(), bytes.size(), entry.sector * sectorSize_) !=
            static_cast<ssize_t>(bytes.size()))
            return false;
    }
    return true;
}

} // namespace kelvanter::testing
