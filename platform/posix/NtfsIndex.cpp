#include "platform/posix/NtfsIndex.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace kelvanter::posix {

namespace {

constexpr std::uint32_t kAttributeList = 0x20;
constexpr std::uint32_t kIndexAllocation = 0xA0;
constexpr std::uint32_t kData = 0x80;
constexpr std::uint32_t kEnd = 0xFFFFFFFF;
constexpr std::size_t kMostRecords = 64; // extension records of one folder

template <typename T> T read(const std::vector<unsigned char>& bytes, std::size_t at) {
    T value{};
    if (at + sizeof(T) <= bytes.size())
        std::memcpy(&value, bytes.data() + at, sizeof(T));
    return value;
}

bool readAt(int fd, std::int64_t offset, std::vector<unsigned char>& bytes) {
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + got, bytes.size() - got, offset + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// Puts back the last two bytes of every sector of a multi-sector record ("FILE", "INDX"), which
// the update sequence array holds while the record lies on the device.
bool applyFixups(std::vector<unsigned char>& record, std::size_t sector) {
    const auto arrayAt = read<std::uint16_t>(record, 4);
    const auto count = read<std::uint16_t>(record, 6);
    if (count == 0 || arrayAt + 2u * count > record.size() || (count - 1u) * sector > record.size())
        return false;
    for (std::size_t at = 1; at < count; ++at) {
        const std::size_t end = at * sector - 2;
        record[end] = record[arrayAt + 2 * at];
        record[end + 1] = record[arrayAt + 2 * at + 1];
    }
    return true;
}

struct Run {
    std::int64_t cluster = 0; // -1 for a sparse run
    std::int64_t clusters = 0;
};

// The runs of a non-resident attribute's mapping pairs.
std::vector<Run> runsAt(const std::vector<unsigned char>& bytes, std::size_t at, std::size_t end) {
    std::vector<Run> runs;
    std::int64_t cluster = 0;
    while (at < end && bytes[at] != 0) {
        const int lengthSize = bytes[at] & 0x0F;
        const int offsetSize = bytes[at] >> 4;
        ++at;
        if (lengthSize == 0 || lengthSize > 8 || offsetSize > 8 || at + lengthSize + offsetSize > end)
            break;
        std::int64_t length = 0;
        for (int i = 0; i < lengthSize; ++i)
            length |= static_cast<std::int64_t>(bytes[at + i]) << (8 * i);
        at += static_cast<std::size_t>(lengthSize);
        std::int64_t delta = 0;
        for (int i = 0; i < offsetSize; ++i)
            delta |= static_cast<std::int64_t>(bytes[at + i]) << (8 * i);
        if (offsetSize > 0 && (bytes[at + offsetSize - 1] & 0x80) != 0)
            delta -= std::int64_t{1} << (8 * offsetSize);
        at += static_cast<std::size_t>(offsetSize);
        cluster += delta;
        runs.push_back({offsetSize == 0 ? -1 : cluster, length});
    }
    return runs;
}

class Volume {
public:
    explicit Volume(int fd) : fd_(fd) {}

    bool open() {
        std::vector<unsigned char> boot(512);
        if (!readAt(fd_, 0, boot) || std::memcmp(boot.data() + 3, "NTFS    ", 8) != 0)
            return false;
        sector_ = read<std::uint16_t>(boot, 0x0B);
        cluster_ = static_cast<std::int64_t>(sector_) * boot[0x0D];
        const auto perRecord = static_cast<std::int8_t>(boot[0x40]);
        recordSize_ = perRecord < 0 ? std::int64_t{1} << -perRecord : perRecord * cluster_;
        const auto perIndex = static_cast<std::int8_t>(boot[0x44]);
        indexSize_ = perIndex < 0 ? std::int64_t{1} << -perIndex : perIndex * cluster_;
        if (sector_ < 256 || cluster_ <= 0 || recordSize_ <= 0 || indexSize_ <= 0 || recordSize_ > (1 << 16))
            return false;
        // $MFT's own record says where the other records lie.
        std::vector<unsigned char> mft(static_cast<std::size_t>(recordSize_));
        if (!readAt(fd_, read<std::int64_t>(boot, 0x30) * cluster_, mft) || !applyFixups(mft, sector_))
            return false;
        forEachAttribute(mft, [&](std::uint32_t type, std::size_t at) {
            if (type == kData && mft[at + 8] != 0 && mftRuns_.empty())
                mftRuns_ = runsAt(mft, at + read<std::uint16_t>(mft, at + 0x20), at + read<std::uint32_t>(mft, at + 4));
        });
        return !mftRuns_.empty();
    }

    // Record `number` of the MFT, fixups applied; nothing where it cannot be read.
    std::optional<std::vector<unsigned char>> record(std::uint64_t number) const {
        const std::int64_t offset = static_cast<std::int64_t>(number) * recordSize_;
        std::int64_t vcn = 0;
        for (const Run& run : mftRuns_) {
            const std::int64_t start = vcn * cluster_;
            const std::int64_t end = (vcn + run.clusters) * cluster_;
            vcn += run.clusters;
            if (offset < start || offset >= end || run.cluster < 0)
                continue;
            std::vector<unsigned char> bytes(static_cast<std::size_t>(recordSize_));
            if (!readAt(fd_, run.cluster * cluster_ + (offset - start), bytes) ||
                std::memcmp(bytes.data(), "FILE", 4) != 0 || !applyFixups(bytes, sector_))
                return std::nullopt;
            return bytes;
        }
        return std::nullopt;
    }

    // Every index block of the runs, each as its own record with its fixups applied.
    std::vector<unsigned char> indexBlocks(const std::vector<Run>& runs) const {
        std::vector<unsigned char> all;
        for (const Run& run : runs) {
            if (run.cluster < 0)
                continue;
            std::vector<unsigned char> bytes(static_cast<std::size_t>(run.clusters * cluster_));
            if (!readAt(fd_, run.cluster * cluster_, bytes))
                continue;
            for (std::size_t at = 0; at + static_cast<std::size_t>(indexSize_) <= bytes.size();
                 at += static_cast<std::size_t>(indexSize_)) {
                std::vector<unsigned char> block(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                                 bytes.begin() + static_cast<std::ptrdiff_t>(at + indexSize_));
                if (std::memcmp(block.data(), "INDX", 4) == 0)
                    applyFixups(block, sector_);
                all.insert(all.end(), block.begin(), block.end());
            }
        }
        return all;
    }

    template <typename Visit> static void forEachAttribute(const std::vector<unsigned char>& record, Visit&& visit) {
        std::size_t at = read<std::uint16_t>(record, 0x14);
        while (at + 8 <= record.size()) {
            const auto type = read<std::uint32_t>(record, at);
            const auto length = read<std::uint32_t>(record, at + 4);
            if (type == kEnd || length == 0 || at + length > record.size())
                break;
            visit(type, at);
            at += length;
        }
    }

private:
    int fd_;
    std::uint16_t sector_ = 512;
    std::int64_t cluster_ = 4096;
    std::int64_t recordSize_ = 1024;
    std::int64_t indexSize_ = 4096;
    std::vector<Run> mftRuns_;
};

// The folder's record and its extension records, as the attribute list names them.
std::vector<std::vector<unsigned char>> folderRecords(const Volume& volume, std::uint64_t number) {
    std::vector<std::vector<unsigned char>> records;
    const auto base = volume.record(number);
    if (!base)
        return records;
    records.push_back(*base);
    std::vector<std::uint64_t> extensions;
    Volume::forEachAttribute(*base, [&](std::uint32_t type, std::size_t at) {
        if (type != kAttributeList || (*base)[at + 8] != 0)
            return;
        const std::size_t value = at + read<std::uint16_t>(*base, at + 0x14);
        const std::size_t end = value + read<std::uint32_t>(*base, at + 0x10);
        for (std::size_t entry = value; entry + 0x18 <= end && entry + 0x18 <= base->size();) {
            const auto length = read<std::uint16_t>(*base, entry + 4);
            const std::uint64_t reference = read<std::uint64_t>(*base, entry + 0x10) & 0xFFFFFFFFFFFFULL;
            if (read<std::uint32_t>(*base, entry) == kIndexAllocation && reference != number)
                extensions.push_back(reference);
            if (length == 0)
                break;
            entry += length;
        }
    });
    for (const std::uint64_t extension : extensions) {
        if (records.size() >= kMostRecords)
            break;
        if (const auto found = volume.record(extension))
            records.push_back(*found);
    }
    return records;
}

bool holdsAny(const std::vector<unsigned char>& bytes, const std::vector<std::string>& runs) {
    return std::any_of(runs.begin(), runs.end(), [&](const std::string& run) {
        return !run.empty() && std::search(bytes.begin(), bytes.end(), run.begin(), run.end()) != bytes.end();
    });
}

} // namespace

SysResult<bool> ntfsFolderIndexHolds(const std::string& device, std::uint64_t record,
                                     const std::vector<std::string>& runs) {
    const int reader = ::open(device.c_str(), O_RDONLY | O_CLOEXEC);
    if (reader < 0)
        return {false, errno};
    // What ntfs-3g wrote reaches the device first; the reads then go past the pages it left.
    ::fsync(reader);
    ::posix_fadvise(reader, 0, 0, POSIX_FADV_DONTNEED);
    Volume volume(reader);
    SysResult<bool> found{false, EINVAL};
    if (volume.open()) {
        const auto records = folderRecords(volume, record);
        if (!records.empty()) {
            found = {false, 0};
            for (const auto& bytes : records) {
                found.value = found.value || holdsAny(bytes, runs);
                Volume::forEachAttribute(bytes, [&](std::uint32_t type, std::size_t at) {
                    if (type != kIndexAllocation || bytes[at + 8] == 0)
                        return;
                    const auto runsOfIndex = runsAt(bytes, at + read<std::uint16_t>(bytes, at + 0x20),
                                                    at + read<std::uint32_t>(bytes, at + 4));
                    found.value = found.value || holdsAny(volume.indexBlocks(runsOfIndex), runs);
                });
            }
        }
    }
    ::close(reader);
    return found;
}

} // namespace kelvanter::posix
